#include "store/CRestrictions.h"

#include "platform/ProfileFile.h"
#include "store/CUserStatus.h"

#include <array>
#include <initializer_list>

namespace {

// The clients know each key by name and each group by its place here, so
// neither the names nor their order may change.
const std::array<std::initializer_list<const char *>, CRestrictions::GroupCount> kKeys = {{
    {"canuseaudionotes", "canusemodels"},
    {"canusealarm"},
    {"cancreategroups", "candeletegroup", "canmanageusers", "canrescanlist", "cansendbyemail"},
    {"canaskdisplaynotification", "canaskreadnotification", "canaskreply",
     "canremovelocalcopy", "cansendinconfidential", "cansendintmp", "cansavedefault"},
    {"canmanagemodels"},
    {"candisplayusersoptions", "candisplaycomoptions", "candisplayalarmoptions",
     "candisplaycolorsoptions", "candisplaynotecreationoptions", "candisplaymiscoptions",
     "candisplaycooloptions", "candisplaylogoptions"},
}};

} // namespace

const QByteArray &CRestrictions::ActiveSection()
{
    static const QByteArray section = QByteArrayLiteral("ActiveRestrictions");
    return section;
}

const QByteArray &CRestrictions::RequestSection()
{
    static const QByteArray section = QByteArrayLiteral("Restrictions");
    return section;
}

int CRestrictions::GetKeyCount(int group)
{
    return IsValidGroup(group) ? int(kKeys[size_t(group)].size()) : 0;
}

QByteArray CRestrictions::GetKeyName(int group, int bit)
{
    if (bit < 0 || bit >= GetKeyCount(group))
        return {};
    return QByteArray(kKeys[size_t(group)].begin()[bit]);
}

quint16 CRestrictions::GetKeyMask(int group)
{
    return quint16((1u << GetKeyCount(group)) - 1);
}

quint32 CRestrictions::ReadGroup(const ProfileFile &file, int group)
{
    quint16 active = 0;
    for (int bit = 0; bit < GetKeyCount(group); ++bit) {
        const std::optional<QByteArray> value = file.Value(ActiveSection(), GetKeyName(group, bit));
        if (!value || CrtAtoi(*value) != 0)
            active |= quint16(1u << bit);
    }
    return MakeWord(active, 0);
}

bool CRestrictions::Load(const std::optional<QString> &path, quint16 &loaded,
                         quint32 (&words)[GroupCount])
{
    constexpr quint16 all = (1u << GroupCount) - 1;
    if ((loaded & all) == all)
        return true;
    // One snapshot serves every group, so showing all six pages for many
    // users costs one read of each file.
    const std::shared_ptr<const ProfileFile> file =
        path ? Profile::Load(*path) : std::make_shared<const ProfileFile>();
    if (file->HasError())
        return false;
    for (int group = 0; group < GroupCount; ++group) {
        if (loaded & (1u << group))
            continue;
        words[group] = ReadGroup(*file, group);
        loaded |= quint16(1u << group);
    }
    return true;
}

quint16 CRestrictions::PendingMask(int group, quint32 word)
{
    return quint16((ActiveHalf(word) ^ RequestedHalf(word)) & GetKeyMask(group));
}

ProfileResult CRestrictions::Write(const QString &path, int group, quint32 &word)
{
    // One replace of the file for the whole group: the client never reads
    // half a request, and a failure leaves every active bit as it was, so
    // asking again writes again.
    const quint16 pending = PendingMask(group, word);
    QList<std::pair<QByteArray, QByteArray>> values;
    quint32 activeBits = 0;
    for (int bit = 0; bit < GetKeyCount(group); ++bit) {
        const quint32 mask = 1u << bit;
        if (!(pending & mask))
            continue;
        const bool allowed = word & mask;
        values.append({GetKeyName(group, bit), allowed ? QByteArray("1") : QByteArray("0")});
        activeBits |= mask << ActiveShift;
    }
    if (values.isEmpty())
        return {};
    // Taken up once the client has every value written in force.
    const auto takenUp = [values](const ProfileFile &file) {
        for (const auto &[key, value] : values)
            if (file.Value(ActiveSection(), key) != value)
                return false;
        return true;
    };
    ProfileResult written = Profile::WriteStrings(path, RequestSection(), values, takenUp);
    if (written) {
        // The active half takes the requested value of every key written.
        word = (word & ~activeBits) | ((word << ActiveShift) & activeBits);
    }
    return written;
}
