#include "store/CUserStatus.h"

#include <QList>
#include <algorithm>
#include <limits>
#include <mutex>

int CrtAtoi(QByteArrayView text)
{
    const char *p = text.constData();
    const char *end = p + text.size();
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    // The clients' runtime answers INT_MAX or INT_MIN for a number that
    // does not fit an int, so a huge field reads as they read it.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit)
            break;
    }
    if (negative)
        return int(std::max(-value, qint64(std::numeric_limits<int>::min())));
    return int(std::min(value, qint64(std::numeric_limits<int>::max())));
}

namespace {

// Version fields use -1 for "unknown", which the list shows as no version.
quint16 VersionField(QByteArrayView field)
{
    const int value = CrtAtoi(field);
    return value == -1 ? 0 : quint16(value);
}

// Languages are a handful of texts shared by thousands of users: each is
// held once. Past a bound (a roster of made-up names) texts are no longer
// pooled, just kept.
QByteArray SharedLanguage(QByteArrayView text)
{
    static std::mutex mutex;
    static QList<QByteArray> pool;
    constexpr qsizetype kMaxPooled = 64;
    std::lock_guard lock(mutex);
    for (const QByteArray &language : std::as_const(pool))
        if (language == text)
            return language;
    QByteArray language = text.toByteArray();
    if (pool.size() < kMaxPooled)
        pool.append(language);
    return language;
}

} // namespace

void CUserStatus::ApplyInfos(QByteArrayView infos)
{
    int index = 0;
    qsizetype start = 0;
    while (start <= infos.size()) {
        qsizetype comma = infos.indexOf(',', start);
        if (comma < 0)
            comma = infos.size();
        if (comma > start) {
            const QByteArrayView field = infos.sliced(start, comma - start);
            switch (index) {
            case 0: version = VersionField(field); break;
            case 1: build = VersionField(field); break;
            case 2: oldVersion = VersionField(field); break;
            case 3: oldBuild = VersionField(field); break;
            case 5:
                if (language != field) // an unchanged language stays shared
                    language = SharedLanguage(field);
                break;
            case 6: lastInstallTime = qMax(0, CrtAtoi(field)); break;
            case 7: os = quint16(CrtAtoi(field)); break;
            case 8: level = quint16(CrtAtoi(field)); return;
            default: break;
            }
            ++index;
        }
        start = comma + 1;
    }
}
