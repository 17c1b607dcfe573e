#pragma once

#include <QString>

// The settings the window keeps that the command line also needs: the shared
// directory and the clients' code page. They are read from the same place
// the window writes them (the per-user copy first, then the machine's), with
// QtCore alone.
class CCliSettings
{
public:
    static QString StoredShareDirectory();
    static QString StoredCodePage();

private:
    static QString Read(const QString &name);
};
