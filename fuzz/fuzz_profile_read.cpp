// Any bytes as a profile file: the parse and every lookup on the names the
// file itself holds must agree with one another.
#include "FuzzCheck.h"
#include "platform/ProfileFile.h"

#include <QSet>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ProfileFile file = ProfileFile::Parse(bytes);
    FUZZ_CHECK(file.Exists());
    FUZZ_CHECK(file.Bytes() == bytes);
    (void)file.MemoryUsage();

    QSet<QByteArray> seenSections;
    for (const QByteArray &section : file.Sections()) {
        FUZZ_CHECK(file.HasSection(section) || section != ProfileFile::TrimArgument(section)
                   || section.size() > ProfileFile::MaxArgumentLength);
        const qsizetype index = file.FindSection(section);
        const QList<QByteArray> keys = file.Keys(section);
        const auto entries = file.Entries(section);
        FUZZ_CHECK(keys.size() == entries.size());
        (void)file.SectionLines(section);
        (void)file.LastKeyLine(index);
        const bool firstOfName = !seenSections.contains(ProfileFile::FoldName(section));
        seenSections.insert(ProfileFile::FoldName(section));
        if (!firstOfName || index < 0)
            continue;

        QSet<QByteArray> seenKeys;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QByteArray &key = entries[i].first;
            FUZZ_CHECK(key == keys[i]);
            const QByteArray folded = ProfileFile::FoldName(key);
            const bool firstKey = !seenKeys.contains(folded);
            seenKeys.insert(folded);
            if (key != ProfileFile::TrimArgument(key) || key.size() > ProfileFile::MaxArgumentLength)
                continue;
            const std::optional<QByteArray> value = file.Value(section, key);
            const std::optional<QByteArrayView> view = file.ValueView(index, key);
            FUZZ_CHECK(value.has_value() == view.has_value());
            if (value)
                FUZZ_CHECK(*view == *value);
            // The first key of a name is the one every lookup finds.
            if (firstKey && value)
                FUZZ_CHECK(*value == entries[i].second);
            (void)file.String(section, key, "default");
            (void)file.Int(section, key, 7);
            const qsizetype line = file.FindKeyLine(index, key);
            const std::optional<ProfileFile::Line> keyLine = file.KeyLine(index, key);
            FUZZ_CHECK((line >= 0) == keyLine.has_value());
            if (keyLine) {
                FUZZ_CHECK(ProfileFile::FoldName(file.LineName(*keyLine)) == folded);
                if (value)
                    FUZZ_CHECK(file.LineValue(*keyLine) == *value);
            }
        }
    }

    // The table of every line and the line worked out alone must agree.
    const auto &lines = file.Lines();
    qsizetype expectedBegin = 0;
    for (const ProfileFile::Line &line : lines) {
        FUZZ_CHECK(line.begin == expectedBegin);
        FUZZ_CHECK(line.begin <= line.end && line.end <= line.next && line.next <= bytes.size());
        const ProfileFile::Line alone = file.LineAt(line.begin);
        FUZZ_CHECK(alone.kind == line.kind && alone.end == line.end && alone.next == line.next);
        FUZZ_CHECK(alone.valueBegin == line.valueBegin && alone.valueEnd == line.valueEnd);
        (void)file.LineName(line);
        (void)file.LineValue(line);
        expectedBegin = line.next;
    }
    FUZZ_CHECK(lines.empty() ? bytes.isEmpty() : expectedBegin == bytes.size());
    return 0;
}
