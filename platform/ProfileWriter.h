#pragma once

#include "platform/Profile.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// How a profile write lives with the clients, which take no lock: they read
// the whole file, change it in memory, truncate it and write it again in
// place, and may keep a handle open across writes.
//
// - A file that may be in the middle of such a write is never written over:
//   an empty file, or one whose version changed between two looks a moment
//   apart, is left to settle and read again.
// - A write that found the file changed under it is redone on the fresh text
//   after a pause that grows and is drawn at random (so that writers that
//   met once do not meet again in step), within a time budget; only then is
//   it refused.
// - A standing request (one the client copies into its own half and leaves
//   in place), written while another program was busy with the file, is
//   read back a little later: a client that read the file just before the
//   write and wrote just after erases it, and then it is made again. This
//   stops when the caller's check says the client took the request up, when
//   the value has held for a while, or after a budget. Only the caller knows
//   that a key gone from the file was not taken away on purpose (a one-shot
//   entry the client removes once answered), so other writes are not
//   watched.
class ProfileWriter
{
public:
    using Edit = std::function<std::optional<QByteArray>(const ProfileFile &)>;
    using Parse = std::function<std::shared_ptr<const ProfileFile>(const QByteArray &)>;

    static ProfileResult Run(const QString &path, const Edit &edit, const ProfileCheck &takenUp,
                             const Parse &parse);
};
