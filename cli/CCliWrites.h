#pragma once

class CCliSession;
class QCommandLineParser;

// The commands that write to users' files. Each checks everything it was
// given before the first write; with --dry-run it prints, file by file, what
// it would write and writes nothing.
void AddRestrictOptions(QCommandLineParser &parser);
int RunRestrict(CCliSession &session, const QCommandLineParser &parser);
void AddSetOptions(QCommandLineParser &parser);
int RunSet(CCliSession &session, const QCommandLineParser &parser);
