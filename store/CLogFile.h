#pragma once

#include "platform/FileSystem.h"
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
    // The log as it is now (exists is false when the login cannot name a
    // file): what tells a log the client sent later from this one.
    static FileSystem::Status GetStatus(const CUser &user);
    // Whether now is another log than before: it exists, and before there
    // was none or one of another time or size.
    static bool IsNewer(const FileSystem::Status &now, const FileSystem::Status &before);
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
