// A write of any section, key and value into any file either is refused and
// leaves the file's bytes as they were, or reads back exactly what was
// written and leaves every other key of the file reading as before.
#include "FuzzCheck.h"
#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

namespace {

// (folded section, folded key) -> value, for every key a lookup can reach.
using Readable = QHash<std::pair<QByteArray, QByteArray>, QByteArray>;

Readable ReadableKeys(const ProfileFile &file)
{
    Readable values;
    for (const QByteArray &section : file.Sections()) {
        const QByteArray foldedSection = ProfileFile::FoldName(section);
        for (const QByteArray &key : file.Keys(section)) {
            const std::pair<QByteArray, QByteArray> name(foldedSection, ProfileFile::FoldName(key));
            if (values.contains(name))
                continue;
            if (const std::optional<QByteArray> value = file.Value(section, key))
                values.insert(name, *value);
        }
    }
    return values;
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("u.ini"));
    // The file is written whole just above, by this process: nothing is in
    // the middle of a rewrite, so a write need not wait for it to settle.
    static const bool settled = (PlatformTestHooks::SetSettleTime(0), true);
    (void)settled;

    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string key = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(128);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray before(rest.data(), qsizetype(rest.size()));

    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(before);
    }
    Profile::ClearCache(path);
    const Readable readableBefore = ReadableKeys(ProfileFile::Parse(before));

    const QByteArray s(section.data(), qsizetype(section.size()));
    const QByteArray k(key.data(), qsizetype(key.size()));
    const QByteArray v(value.data(), qsizetype(value.size()));
    const ProfileResult result = Profile::WriteString(path, s, k, v);
    const QByteArray after = ReadBytes(path);
    if (!result) {
        FUZZ_CHECK(after == before);
        return 0;
    }
    // A write that was not refused needs names and a value it can read back.
    FUZZ_CHECK(Profile::CheckSectionName(s).isEmpty());
    FUZZ_CHECK(Profile::CheckKeyName(k).isEmpty());
    FUZZ_CHECK(Profile::CheckValue(v).isEmpty());

    const ProfileFile parsed = ProfileFile::Parse(after);
    const std::optional<QByteArray> readBack = parsed.Value(s, k);
    FUZZ_CHECK(readBack.has_value());
    FUZZ_CHECK(*readBack == v);
    FUZZ_CHECK(Profile::GetString(path, s, k, "\x01missing") == v);

    Readable readableAfter = ReadableKeys(parsed);
    const std::pair<QByteArray, QByteArray> written(
        ProfileFile::FoldName(ProfileFile::TrimArgument(s)),
        ProfileFile::FoldName(ProfileFile::TrimArgument(k)));
    Readable expected = readableBefore;
    expected.insert(written, v);
    readableAfter.insert(written, v);
    FUZZ_CHECK(readableAfter == expected);
    return 0;
}
