#pragma once

#include "platform/Profile.h"

#include <QString>
#include <optional>

class CUser;

// A client's log file in the shared directory (<login>.log) and the request
// that makes the client write it. The tool never reads the log itself.
class CLogFile
{
public:
    // nullopt when the login cannot name a file.
    static std::optional<QString> Path(const CUser &user);
    static bool Exists(const CUser &user);
    // Removes the old copy, so that the next one to appear is the answer to
    // a new request. False when there was nothing to remove or it could not
    // be removed; neither stops a fetch.
    static bool Delete(const CUser &user);
    // Adds ExternalControl/<now in seconds since 1970>=AskForLogs to the
    // user file. Two requests within one second share one entry.
    static ProfileResult Request(const CUser &user, qint64 now);
    // Empties the log, creating it when it is missing.
    static ProfileResult Clear(const CUser &user);
};
