#pragma once

#include <QString>

// The program's string table: every text that carries a numeric id lives in
// CStringTable.cpp and nowhere else, so a text is changed in one place and
// the ids that menus, messages and the shared UI library use stay valid.
class CStringTable
{
public:
    // The text of id, or an empty string when the table has no such id.
    static QString Load(int nID);
    static bool Contains(int nID);

    // A prompt is "status-bar text\ntooltip"; a command without a prompt has
    // neither part.
    static QString StatusText(int nID);
    static QString ToolTip(int nID);

    // Substring nIndex of a "\n"-separated resource string such as the
    // document string 128 (index 0 is the main window's caption).
    static QString SubString(int nID, int nIndex);
};
