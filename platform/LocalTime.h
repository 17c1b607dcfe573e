#pragma once

#include <QByteArray>
#include <QString>

// Time formatting as the C runtime's strftime does it, in local time.
class LocalTime
{
public:
    // Formats seconds since 1970-01-01 UTC in local time with a strftime
    // format (" %m-%d-%Y %H:%M:%S"). An out-of-range time gives "".
    static QString Format(qint64 seconds, const char *format);
    static qint64 Now();
};
