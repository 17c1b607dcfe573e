// Any bytes as a user's information record: the fields it sets and every
// column text must come out without fault, the same on every parse.
#include "FuzzCheck.h"
#include "store/CUser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray infos(reinterpret_cast<const char *>(data), qsizetype(size));
    static const qint64 kNow = 1700000000;

    CUser user("login", "Full Name");
    user.ParseInfos(infos);
    QByteArray texts[CUser::ColumnCount];
    for (int column = 0; column < CUser::ColumnCount; ++column)
        texts[column] = user.GetColumnText(column, kNow);
    FUZZ_CHECK(user.GetLastInstallTime() >= 0);
    (void)user.GetConnectionState();

    // A record read again (as every status pass does) changes nothing.
    user.ParseInfos(infos);
    for (int column = 0; column < CUser::ColumnCount; ++column)
        FUZZ_CHECK(user.GetColumnText(column, kNow) == texts[column]);
    (void)user.GetColumnText(-1, kNow);
    (void)user.GetColumnText(CUser::ColumnCount, kNow);
    return 0;
}
