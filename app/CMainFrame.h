#pragma once

#include "framework/CFrameWnd.h"

class QMenu;

// The main window: menu, toolbar (Options, Properties, a gap, Refresh), the
// Ctrl+A accelerator and the status bar with its CAP/NUM/SCRL indicators.
// Until the user list exists the client area holds an empty placeholder.
// The caption is the program's name alone; no document name is added.
class CMainFrame : public CFrameWnd
{
    Q_OBJECT

public:
    // Toolbar images: 0 Options, 1 Properties, 2 Refresh at rest (green
    // lamp), 3 and 4 the Refresh button's blinking (bright and dark red).
    enum ToolBarImage { ImgOptions = 0, ImgProperties, ImgRefreshGreen, ImgRefreshRed,
                        ImgRefreshDarkRed };
    // The Refresh button's position on the toolbar, counting the gap.
    static constexpr int kRefreshButtonIndex = 3;

    explicit CMainFrame(CCmdRoute *pRoute, QWidget *parent = nullptr);

    // Builds the window's bars and menu; false when a part cannot be made,
    // and the frame is then unusable.
    bool Create();

    QMenu *GetMenu(int nIndex) const;

private:
    bool CreateActions();
    void CreateMenus();
    bool CreateToolBar();
    bool CreateStatusBar();
};
