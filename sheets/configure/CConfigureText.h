#pragma once

#include <QByteArray>
#include <QString>

class QLineEdit;
class QWidget;

// Texts that go between the configuration windows and the user file: the
// file holds bytes in the local 8-bit code page, and what a profile value
// cannot hold must be refused where the administrator typed it.
class CConfigureText
{
public:
    static QString Decode(const QByteArray &bytes) { return QString::fromLocal8Bit(bytes); }
    static QByteArray Encode(const QString &text) { return text.toLocal8Bit(); }

    // Whether the edit's text can be written as a client parameter. When it
    // cannot, tells the administrator why, naming the field, puts the
    // focus back in the edit and answers false.
    static bool Validate(QWidget *pParent, QLineEdit *pEdit, const QString &csField);
};
