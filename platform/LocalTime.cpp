#include "platform/LocalTime.h"

#include <ctime>

namespace {

// The range the clients' C runtime formats: 1970 up to the end of year 3000.
constexpr qint64 kLatest = 32535215999;

} // namespace

QString LocalTime::Format(qint64 seconds, const char *format)
{
    if (seconds < 0 || seconds > kLatest || !format)
        return QString();
    const time_t t = time_t(seconds);
    struct tm local;
    if (!localtime_r(&t, &local))
        return QString();
    char buffer[512];
    const size_t n = std::strftime(buffer, sizeof buffer, format, &local);
    return QString::fromLocal8Bit(buffer, qsizetype(n));
}

qint64 LocalTime::Now()
{
    return qint64(std::time(nullptr));
}
