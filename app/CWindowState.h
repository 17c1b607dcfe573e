#pragma once

class QMainWindow;
class QWidget;

// The main window's place, size and bars, and where the property sheet
// was, kept between runs in the current user's settings beside the column
// layout ([Window] in ~/.config/Corvane/Admin.ini, or the registry key
// HKEY_CURRENT_USER\Software\Corvane\Admin\Window on Windows).
class CWindowState
{
public:
    // False when nothing was stored (a first start); the window keeps the
    // size it has.
    static bool Restore(QMainWindow *pFrame);
    static void Save(const QMainWindow *pFrame, const QWidget *pPropertySheet);
    // Moves the sheet to where it was last, when that place is on a screen.
    static bool RestoreSheetPosition(QWidget *pSheet);
};
