#pragma once

#include "framework/CFrameWnd.h"

#include <QDateTime>
#include <QPointer>

class CAdminDoc;
class CAdminView;
class CFilterBox;
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

    // Puts the filter box above the user list, gives the list its context
    // menu, adds the keys that reach the list (Ctrl+F, Alt+Enter) and keeps
    // the status bar's text at rest up to date.
    void AttachView(CAdminView *pView, CAdminDoc *pDoc);
    CFilterBox *GetFilterBox() const { return m_pFilterBox; }
    QMenu *GetContextMenu() const { return m_pContextMenu; }
    // The message pane's text while nothing else shows there.
    void UpdateRestStatus();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool CreateActions();
    void CreateMenus();
    bool CreateToolBar();
    bool CreateStatusBar();
    void CreateContextMenu(CAdminView *pView);
    void CreateListKeys(CAdminView *pView);

    QPointer<CAdminView> m_pView;
    QPointer<CAdminDoc> m_pDoc;
    CFilterBox *m_pFilterBox = nullptr;
    QMenu *m_pContextMenu = nullptr;
    QDateTime m_lastRefresh;
};
