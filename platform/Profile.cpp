#include "platform/Profile.h"

#include "platform/FileAccess.h"
#include "platform/ProfileEditor.h"
#include "platform/ProfileWriter.h"

#include <QHash>
#include <QMutex>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>

namespace {

// Memory that snapshots of unchanged files may hold, parses included.
constexpr qint64 kCacheBudget = 128 * 1024 * 1024;

struct CacheEntry
{
    std::shared_ptr<const ProfileFile> file;
    QByteArray nativePath;
    FileAccess::Identity id;
    bool settled = false; // old enough that its times tell every later change
    quint64 lastUse = 0;
};

struct Cache
{
    QMutex mutex;
    QHash<QString, CacheEntry> entries;
    qint64 bytes = 0;
    quint64 clock = 0;

    void Put(const QString &path, CacheEntry entry)
    {
        entry.lastUse = ++clock;
        auto it = entries.find(path);
        if (it != entries.end()) {
            bytes -= it->file->MemoryUsage();
            *it = std::move(entry);
        } else {
            it = entries.insert(path, std::move(entry));
        }
        bytes += it->file->MemoryUsage();
        if (bytes > kCacheBudget)
            Trim(path);
    }

    void Remove(const QString &path)
    {
        auto it = entries.find(path);
        if (it != entries.end()) {
            bytes -= it->file->MemoryUsage();
            entries.erase(it);
        }
    }

    // Forgets the least recently used snapshots down to three quarters of
    // the budget, keeping the one just stored.
    void Trim(const QString &keep)
    {
        std::vector<std::pair<quint64, QString>> order;
        order.reserve(size_t(entries.size()));
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            order.emplace_back(it->lastUse, it.key());
        std::sort(order.begin(), order.end());
        for (const auto &[use, path] : order) {
            if (bytes <= kCacheBudget / 4 * 3)
                break;
            if (path != keep)
                Remove(path);
        }
    }
};

Cache &TheCache()
{
    static Cache cache;
    return cache;
}

const std::shared_ptr<const ProfileFile> &MissingFile()
{
    static const auto missing = std::make_shared<const ProfileFile>();
    return missing;
}

const std::shared_ptr<const ProfileFile> &UnreadableFile()
{
    static const auto failed = std::make_shared<const ProfileFile>(ProfileFile::Failed());
    return failed;
}

ProfileResult Refused(const QString &why)
{
    return ProfileResult::Failure(87, why); // ERROR_INVALID_PARAMETER
}

// The parse of bytes, taken from the cache when it holds the same bytes.
std::shared_ptr<const ProfileFile> ParseOrReuse(const QString &path, const QByteArray &bytes)
{
    std::shared_ptr<const ProfileFile> cached;
    {
        Cache &cache = TheCache();
        QMutexLocker lock(&cache.mutex);
        auto it = cache.entries.constFind(path);
        if (it != cache.entries.cend())
            cached = it->file;
    }
    if (cached && cached->Bytes() == bytes)
        return cached;
    return std::make_shared<const ProfileFile>(ProfileFile::Parse(bytes));
}

// Reads the file, edits its text and replaces it, living with the
// clients' lockless writes as ProfileWriter describes.
ProfileResult EditFile(const QString &path, const ProfileWriter::Edit &edit,
                       const ProfileCheck &takenUp = {})
{
    return ProfileWriter::Run(path, edit, takenUp, [&path](const QByteArray &bytes) {
        return ParseOrReuse(path, bytes);
    });
}

} // namespace

std::shared_ptr<const ProfileFile> Profile::Load(const QString &path)
{
    Cache &cache = TheCache();
    std::shared_ptr<const ProfileFile> candidate;
    FileAccess::Identity cachedId;
    bool settled = false;
    QByteArray native;
    {
        QMutexLocker lock(&cache.mutex);
        auto it = cache.entries.find(path);
        if (it != cache.entries.end()) {
            it->lastUse = ++cache.clock;
            candidate = it->file;
            cachedId = it->id;
            settled = it->settled;
            native = it->nativePath;
        }
    }
    if (native.isNull())
        native = FileAccess::NativePath(path);

    // The status query is what makes serving a snapshot safe: it is asked
    // at every call, after the call began. It does not follow a link, and
    // what is not a regular file is not opened at all.
    FileAccess::StatResult st = FileAccess::StatEntryNative(native);
    if (FileAccess::IsMissing(st.error))
        return MissingFile();
    if (st.error || !st.IsRegular())
        return UnreadableFile();
    if (candidate && settled && st.id == cachedId)
        return candidate;

    // Not known, changed, or changed too recently for its times to tell a
    // further change: read it, and parse it unless the bytes are the same.
    FileAccess::ReadResult read = FileAccess::Read(path);
    if (FileAccess::IsMissing(read.error)) {
        ClearCache(path);
        return MissingFile();
    }
    if (read.error) {
        ClearCache(path);
        return UnreadableFile();
    }
    std::shared_ptr<const ProfileFile> file;
    if (candidate && candidate->Bytes() == read.bytes)
        file = candidate;
    else
        file = std::make_shared<const ProfileFile>(ProfileFile::Parse(read.bytes));

    QMutexLocker lock(&cache.mutex);
    cache.Put(path, CacheEntry{file, native, read.id, FileAccess::IsSettled(read.id)});
    return file;
}

QByteArray Profile::GetString(const QString &path, const QByteArray &section,
                              const QByteArray &key, const QByteArray &def, bool *failed)
{
    std::shared_ptr<const ProfileFile> file = Load(path);
    if (failed)
        *failed = file->HasError();
    return file->String(section, key, def);
}

quint32 Profile::GetInt(const QString &path, const QByteArray &section, const QByteArray &key,
                        quint32 def, bool *failed)
{
    std::shared_ptr<const ProfileFile> file = Load(path);
    if (failed)
        *failed = file->HasError();
    return file->Int(section, key, def);
}

QList<QByteArray> Profile::GetKeys(const QString &path, const QByteArray &section, bool *failed)
{
    std::shared_ptr<const ProfileFile> file = Load(path);
    if (failed)
        *failed = file->HasError();
    return file->Keys(section);
}

QList<QByteArray> Profile::GetSections(const QString &path, bool *failed)
{
    std::shared_ptr<const ProfileFile> file = Load(path);
    if (failed)
        *failed = file->HasError();
    return file->Sections();
}

ProfileResult Profile::WriteString(const QString &path, const QByteArray &section,
                                   const QByteArray &key, const QByteArray &value,
                                   const ProfileCheck &takenUp)
{
    const QByteArray s = ProfileFile::TrimArgument(section);
    const QByteArray k = ProfileFile::TrimArgument(key);
    for (const QString &why : {ProfileEditor::CheckSectionName(s), ProfileEditor::CheckKeyName(k),
                               ProfileEditor::CheckValue(value)}) {
        if (!why.isEmpty())
            return Refused(why);
    }
    return EditFile(
        path, [&](const ProfileFile &file) { return ProfileEditor::SetValue(file, s, k, value); },
        takenUp);
}

ProfileResult Profile::WriteStrings(const QString &path, const QByteArray &section,
                                    const QList<std::pair<QByteArray, QByteArray>> &values,
                                    const ProfileCheck &takenUp)
{
    const QByteArray s = ProfileFile::TrimArgument(section);
    QList<std::pair<QByteArray, QByteArray>> edits;
    for (const auto &entry : values) {
        const QByteArray k = ProfileFile::TrimArgument(entry.first);
        for (const QString &why : {ProfileEditor::CheckSectionName(s), ProfileEditor::CheckKeyName(k),
                                   ProfileEditor::CheckValue(entry.second)}) {
            if (!why.isEmpty())
                return Refused(why);
        }
        edits.append({k, entry.second});
    }
    if (edits.isEmpty())
        return ProfileResult::Success();
    return EditFile(path, [&](const ProfileFile &file) -> std::optional<QByteArray> {
        // Each edit is placed as a single write would place it on the text
        // the one before left, so the result is that of the writes in turn.
        std::optional<QByteArray> bytes;
        for (const auto &edit : edits) {
            std::optional<QByteArray> next =
                bytes ? ProfileEditor::SetValue(ProfileFile::Parse(*bytes), s, edit.first, edit.second)
                      : ProfileEditor::SetValue(file, s, edit.first, edit.second);
            if (next)
                bytes = std::move(next);
        }
        return bytes;
    }, takenUp);
}

ProfileResult Profile::DeleteKey(const QString &path, const QByteArray &section,
                                 const QByteArray &key)
{
    return EditFile(path, [&](const ProfileFile &file) {
        return ProfileEditor::RemoveKey(file, section, key);
    });
}

ProfileResult Profile::DeleteSection(const QString &path, const QByteArray &section)
{
    return EditFile(path, [&](const ProfileFile &file) {
        return ProfileEditor::RemoveSection(file, section);
    });
}

ProfileResult Profile::WriteSection(const QString &path, const QByteArray &section,
                                    const QList<QByteArray> &lines, const QSet<QByteArray> &kept,
                                    const ProfileCheck &takenUp)
{
    const QByteArray s = ProfileFile::TrimArgument(section);
    if (QString why = ProfileEditor::CheckSectionName(s); !why.isEmpty())
        return Refused(why);
    QList<std::pair<QByteArray, QByteArray>> entries;
    for (const QByteArray &line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue; // the clients drop strings that are not key=value
        QByteArray key = ProfileFile::TrimArgument(line.left(eq));
        QByteArray value = line.mid(eq + 1);
        if (kept.contains(key)) {
            entries.append({std::move(key), {}});
            continue;
        }
        for (const QString &why : {ProfileEditor::CheckKeyName(key), ProfileEditor::CheckValue(value)}) {
            if (!why.isEmpty())
                return Refused(why);
        }
        entries.append({std::move(key), std::move(value)});
    }
    return EditFile(
        path,
        [&](const ProfileFile &file) { return ProfileEditor::ReplaceSection(file, s, entries, kept); },
        takenUp);
}

ProfileCheck Profile::StandingRequest()
{
    return [](const ProfileFile &) { return false; };
}

QString Profile::CheckSectionName(const QByteArray &section)
{
    return ProfileEditor::CheckSectionName(ProfileFile::TrimArgument(section));
}

QString Profile::CheckKeyName(const QByteArray &key)
{
    return ProfileEditor::CheckKeyName(ProfileFile::TrimArgument(key));
}

QString Profile::CheckValue(const QByteArray &value)
{
    return ProfileEditor::CheckValue(value);
}

void Profile::ClearCache()
{
    Cache &cache = TheCache();
    QMutexLocker lock(&cache.mutex);
    cache.entries.clear();
    cache.bytes = 0;
}

void Profile::ClearCache(const QString &path)
{
    Cache &cache = TheCache();
    QMutexLocker lock(&cache.mutex);
    cache.Remove(path);
}
