// Any text as a column's stored "position/width/alignment": the column built
// from it is within bounds, and its own stored text builds the same column.
#include "FuzzCheck.h"
#include "view/CColumn.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString stored = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const CColumn column(3, QStringLiteral("Title"), stored);
    FUZZ_CHECK(column.GetWidth() >= 0 && column.GetWidth() <= CColumn::kMaxWidth);
    FUZZ_CHECK(column.GetAlignment() >= CColumn::AlignLeft
               && column.GetAlignment() <= CColumn::AlignCenter);
    FUZZ_CHECK(column.GetPosition() >= -10000 && column.GetPosition() <= 10000);

    const CColumn again(3, QStringLiteral("Title"), column.GetStoredText());
    FUZZ_CHECK(again.GetPosition() == column.GetPosition());
    FUZZ_CHECK(again.GetWidth() == column.GetWidth());
    FUZZ_CHECK(again.GetAlignment() == column.GetAlignment());
    FUZZ_CHECK(again.GetStoredText() == column.GetStoredText());
    FUZZ_CHECK(!column.IsBefore(column));
    return 0;
}
