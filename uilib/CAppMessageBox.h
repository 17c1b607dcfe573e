#pragma once

#include <QMessageBox>

#include <optional>

// The program's plain message boxes: the caption is always the application
// name ("Admin"); questions carry the exclamation icon with Yes, No and
// Cancel. Every box of the program goes through here so that tests can give
// the next answer instead of a person.
class CAppMessageBox
{
public:
    static QMessageBox::StandardButton Show(QWidget *pParent, const QString &csText,
                                            QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton =
                                                QMessageBox::NoButton);

    static void Information(QWidget *pParent, const QString &csText);
    // The exclamation icon with an OK button.
    static void Exclamation(QWidget *pParent, const QString &csText);
    static void Error(QWidget *pParent, const QString &csText);
    // Yes, No or Cancel; Cancel when the box is closed otherwise.
    static QMessageBox::StandardButton Question(QWidget *pParent, const QString &csText);

    // Test hook: the next box returns this answer without being shown.
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    // The text of the last box shown or answered, for tests to check.
    static QString GetLastText();
    static QMessageBox::Icon GetLastIcon();
};
