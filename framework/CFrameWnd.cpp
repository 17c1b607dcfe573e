#include "framework/CFrameWnd.h"

#include "framework/CCmdRoute.h"
#include "framework/CCmdUI.h"
#include "framework/CStatusBarEx.h"
#include "framework/CToolBarEx.h"
#include "framework/ResourceIds.h"

namespace {
QPointer<CFrameWnd> s_pMainWnd;
}

CFrameWnd::CFrameWnd(CCmdRoute *pRoute, QWidget *parent) : QMainWindow(parent), m_pRoute(pRoute)
{
    // The bars are switched by the View menu only; Qt's own toolbar context
    // menu would be a second switch the route does not know about.
    setContextMenuPolicy(Qt::PreventContextMenu);

    AddCommand(ID_VIEW_TOOLBAR, [this] { OnBarCheck(m_pToolBar); });
    AddUpdateCommandUI(ID_VIEW_TOOLBAR, [this](CCmdUI *pCmdUI) {
        pCmdUI->Enable(m_pToolBar != nullptr);
        pCmdUI->SetCheck(m_pToolBar && !m_pToolBar->isHidden());
    });
    AddCommand(ID_VIEW_STATUS_BAR, [this] { OnBarCheck(m_pStatusBar); });
    AddUpdateCommandUI(ID_VIEW_STATUS_BAR, [this](CCmdUI *pCmdUI) {
        pCmdUI->Enable(m_pStatusBar != nullptr);
        pCmdUI->SetCheck(m_pStatusBar && !m_pStatusBar->isHidden());
    });
    AddCommand(ID_APP_EXIT, [this] { close(); });

    if (m_pRoute)
        m_pRoute->SetTarget(CCmdRoute::Frame, this);
}

CFrameWnd::~CFrameWnd()
{
    // The view goes with the frame; take it off the route first so that no
    // update pass reaches it half destroyed.
    if (m_pRoute)
        m_pRoute->SetTarget(CCmdRoute::View, nullptr);
}

CFrameWnd *CFrameWnd::GetMainWnd()
{
    return s_pMainWnd.data();
}

void CFrameWnd::SetAsMainWnd()
{
    s_pMainWnd = this;
}

void CFrameWnd::SetControlBars(CToolBarEx *pToolBar, CStatusBarEx *pStatusBar)
{
    m_pToolBar = pToolBar;
    m_pStatusBar = pStatusBar;
}

void CFrameWnd::SetActiveView(QWidget *pView, CCmdTarget *pTarget)
{
    if (m_pRoute)
        m_pRoute->SetTarget(CCmdRoute::View, pTarget);
    m_pActiveView = pView;
    setCentralWidget(pView);
    if (m_pRoute)
        m_pRoute->UpdateAll();
}

void CFrameWnd::OnBarCheck(QWidget *pBar)
{
    if (pBar)
        pBar->setVisible(pBar->isHidden());
}
