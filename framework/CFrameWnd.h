#pragma once

#include "framework/CCmdTarget.h"

#include <QMainWindow>
#include <QPointer>

class CCmdRoute;
class CStatusBarEx;
class CToolBarEx;

// The main frame's base: a main window that sits on the command route as
// its frame target, serves View > Toolbar, View > Status Bar and Exit, and
// lets the client-area view be put in place and found by other parts.
class CFrameWnd : public QMainWindow, public CCmdTarget
{
    Q_OBJECT

public:
    explicit CFrameWnd(CCmdRoute *pRoute, QWidget *parent = nullptr);
    ~CFrameWnd() override;

    // The application's main window, or none before it exists and after it
    // is gone. Views and pages reach the toolbar and the active view here.
    static CFrameWnd *GetMainWnd();
    void SetAsMainWnd();

    CCmdRoute *GetRoute() const { return m_pRoute; }
    CToolBarEx *GetToolBar() const { return m_pToolBar; }
    CStatusBarEx *GetStatusBar() const { return m_pStatusBar; }

    // Puts pView in the client area (the previous one is deleted) and
    // pTarget, usually the same object, in the route's view slot.
    void SetActiveView(QWidget *pView, CCmdTarget *pTarget);
    QWidget *GetActiveView() const { return m_pActiveView; }

protected:
    void SetControlBars(CToolBarEx *pToolBar, CStatusBarEx *pStatusBar);

private:
    void OnBarCheck(QWidget *pBar);

    CCmdRoute *m_pRoute;
    CToolBarEx *m_pToolBar = nullptr;
    CStatusBarEx *m_pStatusBar = nullptr;
    QPointer<QWidget> m_pActiveView;
};
