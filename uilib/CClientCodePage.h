#pragma once

#include <QString>

// The clients' code page as the administrator set it, kept with the
// program's other machine-wide settings (value "ClientCodePage" of
// Software\Corvane\Admin, e.g. "windows-1250"). Without the value the
// clients are taken to write Windows-1252.
class CClientCodePage
{
public:
    static const QString kValueName;
    static const QString kRegistryPath;

    // Makes the stored code page current. Answers why a stored name was
    // refused ("" when there was nothing to refuse); the default is then
    // current.
    static QString Load(const QString &csRegistryPath = kRegistryPath);
    // Makes name current and stores it. Answers why it was refused or could
    // not be stored ("" on success); a refused name changes nothing.
    static QString Store(const QString &name, const QString &csRegistryPath = kRegistryPath);
};
