#include "groups/CGroupNames.h"

#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/ProfileFile.h"
#include "store/CGroup.h"

QByteArray CGroupNames::Normalize(const QByteArray &name)
{
    return ProfileFile::TrimArgument(name);
}

bool CGroupNames::SameName(const QByteArray &a, const QByteArray &b)
{
    const QByteArray left = Normalize(a);
    const QByteArray right = Normalize(b);
    // The file folds ASCII letters; the administrator also sees accented
    // capitals as the same name, as the document's own test does.
    return ProfileFile::FoldName(left) == ProfileFile::FoldName(right)
           || FileSystem::DecodeName(left).compare(FileSystem::DecodeName(right),
                                                   Qt::CaseInsensitive) == 0;
}

CGroup *CGroupNames::Find(const QList<CGroup *> &groups, const QByteArray &name,
                          const CGroup *pExcept)
{
    for (CGroup *pGroup : groups)
        if (pGroup && pGroup != pExcept && SameName(pGroup->GetName(), name))
            return pGroup;
    return nullptr;
}

QString CGroupNames::FromText(const QString &csText, QByteArray &name)
{
    const QByteArray bytes = FileSystem::EncodeName(csText);
    if (FileSystem::DecodeName(bytes) != csText)
        return QStringLiteral("\"%1\" holds characters that the files of the shared directory "
                              "cannot store.").arg(csText);
    name = Normalize(bytes);
    return {};
}

QString CGroupNames::Check(const QByteArray &name, const TakenFn &taken)
{
    const QByteArray normalized = Normalize(name);
    const QString shown = FileSystem::DecodeName(normalized);
    if (normalized.isEmpty())
        return QStringLiteral("A group needs a name.");
    if (const QString why = Profile::CheckKeyName(normalized); !why.isEmpty())
        return QStringLiteral("\"%1\" cannot be used as a group name. %2").arg(shown, why);
    // The clients read keys of at most this length; the file could hold more.
    if (normalized.size() > kMaxNameLength)
        return QStringLiteral("A group name can be at most %1 characters long.").arg(kMaxNameLength);
    if (taken && taken(normalized))
        return QStringLiteral("There is already a group named \"%1\". Group names must differ "
                              "in more than letter case.")
            .arg(shown);
    return {};
}

QByteArray CGroupNames::CopyName(const QByteArray &name, const TakenFn &taken)
{
    const QByteArray base = FileSystem::EncodeName(CStringTable::Load(IDS_COPY_OF)) + ' '
                            + Normalize(name);
    QByteArray candidate = base;
    for (int n = 2; taken && taken(candidate); ++n)
        candidate = base + " (" + QByteArray::number(n) + ')';
    return candidate;
}

QByteArray CGroupNames::NewGroupName(int &nCounter, const TakenFn &taken)
{
    QByteArray name;
    do {
        ++nCounter;
        name = "New group #" + QByteArray::number(nCounter);
    } while (taken && taken(name));
    return name;
}
