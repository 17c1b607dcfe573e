#pragma once

#include "platform/CodePage.h"

#include <QByteArray>
#include <QString>
#include <optional>

class QLineEdit;
class QWidget;

// Texts that go between the configuration windows and the user file: the
// file holds bytes in the clients' code page, a field the administrator left
// alone goes back as the bytes it came from, and what a profile value or the
// code page cannot hold must be refused where the administrator typed it.
class CConfigureText
{
public:
    static QString Decode(const QByteArray &bytes) { return CodePage::Decode(bytes); }
    // The bytes for text: original while text is still what original shows,
    // else text in the code page; nullopt when the code page cannot hold it.
    static std::optional<QByteArray> Encode(const QString &text,
                                            const QByteArray &original = QByteArray());

    // Whether the edit's text can be written as a client parameter. When it
    // cannot, tells the administrator why, naming the field, puts the
    // focus back in the edit and answers false.
    static bool Validate(QWidget *pParent, QLineEdit *pEdit, const QString &csField,
                         const QByteArray &original = QByteArray());
};
