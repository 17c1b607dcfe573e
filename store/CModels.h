#pragma once

#include "platform/Profile.h"

#include <QByteArray>
#include <QList>

class CUser;

// The note model sections of a user file: ActiveModels lists, one key per
// model, the models the client has; Models holds the administrator's
// requests that the client take a model.
class CModels
{
public:
    // The key names of ActiveModels in file order, each once (names match
    // without regard to case, as the client looks them up). Names are kept
    // whole: a cut name would ask for a model that does not exist.
    static QList<QByteArray> ReadActive(const CUser &user);
    // Writes Models/<name>=<value in decimal>. A name that a profile file
    // cannot hold as a key is refused with the reason; a failure's message
    // names the model.
    static ProfileResult Request(const CUser &user, const QByteArray &name, int value);
};
