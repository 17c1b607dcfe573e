#pragma once

class CCliSession;
class QCommandLineParser;

// groups list|show|add|remove|rename: the shared groups of Users.ini, or with
// --user a user's personal groups, with the group editor's name rules.
void AddGroupsOptions(QCommandLineParser &parser);
int RunGroups(CCliSession &session, const QCommandLineParser &parser);
