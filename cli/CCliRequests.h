#pragma once

class CCliSession;
class QCommandLineParser;

// The one-off requests to clients: upgrade, take note models, send or clear
// the log file. Like the other writing commands they check what they were
// given first and honour --dry-run.
void AddUpgradeOptions(QCommandLineParser &parser);
int RunUpgrade(CCliSession &session, const QCommandLineParser &parser);
void AddModelsOptions(QCommandLineParser &parser);
int RunModels(CCliSession &session, const QCommandLineParser &parser);
void AddLogOptions(QCommandLineParser &parser);
int RunLog(CCliSession &session, const QCommandLineParser &parser);
void AddClearLogOptions(QCommandLineParser &parser);
int RunClearLog(CCliSession &session, const QCommandLineParser &parser);
