// Any bytes as the body of a Groups section: the groups read from it, when
// they can be saved, must read back after a save as the same groups with the
// same members in the same order; a member list alone must split into
// non-empty logins that join back to the list without its empty pieces.
#include "FuzzCheck.h"
#include "platform/ProfileFile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CGroupSection.h"
#include "store/CUser.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

struct Fixture
{
    QTemporaryDir dir;
    CAdminDoc doc;
    QString groupsPath;

    Fixture()
    {
        QFile users(dir.filePath(QStringLiteral("Users.ini")));
        if (!users.open(QIODevice::WriteOnly))
            std::abort();
        users.write("[Users]\r\na=A\r\nb=B\r\nC=C\r\nlong.login=L\r\nx y=X\r\n\"q\"=Q\r\n");
        users.close();
        if (!doc.OnNewDocument(dir.path()))
            std::abort();
        doc.WaitForStatusReaders();
        groupsPath = dir.filePath(QStringLiteral("groups.ini"));
    }
};

QList<QByteArray> Logins(const CGroup &group)
{
    QList<QByteArray> logins;
    for (const CUser *user : group)
        logins.append(user->GetLogin());
    return logins;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));

    QList<QByteArray> logins;
    CGroup::ParseMemberList(body, logins);
    for (const QByteArray &login : logins)
        FUZZ_CHECK(!login.isEmpty() && !login.contains(','));
    QByteArray withoutEmpty;
    for (const QByteArray &piece : body.split(','))
        if (!piece.isEmpty())
            withoutEmpty += piece + ',';
    withoutEmpty.chop(1);
    FUZZ_CHECK(logins.join(',') == withoutEmpty);

    const ProfileFile file = ProfileFile::Parse("[Groups]\r\n" + body);
    const std::vector<std::unique_ptr<CGroup>> groups = CGroupSection::Load(file, fixture.doc);
    QList<CGroup *> list;
    for (const auto &group : groups)
        list.append(group.get());
    if (!CGroupSection::Check(list).isEmpty())
        return 0;

    QFile::remove(fixture.groupsPath);
    Profile::ClearCache(fixture.groupsPath);
    const ProfileResult saved = CGroupSection::Save(fixture.groupsPath, list);
    FUZZ_CHECK(saved.ok);
    QFile written(fixture.groupsPath);
    const QByteArray bytes = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    const std::vector<std::unique_ptr<CGroup>> again =
        CGroupSection::Load(ProfileFile::Parse(bytes), fixture.doc);
    if (again.size() != groups.size() || std::getenv("FUZZ_VERBOSE")) {
        std::fprintf(stderr, "saved:\n%s\n", bytes.toHex(' ').constData());
        for (const auto &group : groups)
            std::fprintf(stderr, "group before: %s\n", group->GetName().toHex(' ').constData());
        for (const auto &group : again)
            std::fprintf(stderr, "group after: %s\n", group->GetName().toHex(' ').constData());
    }
    FUZZ_CHECK(again.size() == groups.size());
    for (size_t i = 0; i < groups.size(); ++i) {
        FUZZ_CHECK(again[i]->GetName() == groups[i]->GetName());
        FUZZ_CHECK(Logins(*again[i]) == Logins(*groups[i]));
    }
    return 0;
}
