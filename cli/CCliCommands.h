#pragma once

#include <QList>
#include <QString>

class CCliSession;
class QCommandLineParser;

// One command of the command line: its name, what it does, the options it
// adds to the common ones, and the work itself.
struct CCliCommand
{
    QString name;
    QString description;
    QString syntax; // positional arguments as the help shows them
    void (*addOptions)(QCommandLineParser &parser);
    int (*run)(CCliSession &session, const QCommandLineParser &parser);
};

// Every command, in the order the general help lists them.
const QList<CCliCommand> &CliCommands();

// The read-only commands (CCliCommands.cpp).
void AddUsersOptions(QCommandLineParser &parser);
int RunUsers(CCliSession &session, const QCommandLineParser &parser);
void AddShowOptions(QCommandLineParser &parser);
int RunShow(CCliSession &session, const QCommandLineParser &parser);
