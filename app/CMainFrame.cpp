#include "app/CMainFrame.h"

#include "app/CMenuTable.h"
#include "app/CRestStatus.h"
#include "app/CShareTroubleNotice.h"
#include "app/CWindowState.h"
#include "framework/CCmdRoute.h"
#include "framework/CCmdUI.h"
#include "framework/CImageList.h"
#include "framework/CStatusBarEx.h"
#include "framework/CStringTable.h"
#include "framework/CToolBarEx.h"
#include "framework/ResourceIds.h"
#include "store/CAdminDoc.h"
#include "view/CAdminView.h"
#include "view/CFilterBox.h"
#include "view/CViewFilter.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>

static void InitCorvaneResources()
{
    Q_INIT_RESOURCE(corvane);
}

CMainFrame::CMainFrame(CCmdRoute *pRoute, QWidget *parent) : CFrameWnd(pRoute, parent)
{
    InitCorvaneResources();
    setObjectName(QStringLiteral("CMainFrame"));
    // These stay grey whatever the view offers: their dialogs are not part
    // of what the menu lets the administrator reach.
    for (int nID : {ID_EDIT_USER_GROUPS, ID_ACTIONS_APPLY_GROUPS, ID_ACTIONS_APPLY_MODELS})
        AddUpdateCommandUI(nID, [](CCmdUI *pCmdUI) { pCmdUI->Enable(false); });
    // The document string's first part, and nothing else: the caption does
    // not follow the shared directory or any document name.
    setWindowTitle(CStringTable::SubString(IDR_MAINFRAME, 0));
    setAccessibleName(CStringTable::SubString(IDR_MAINFRAME, 0));
    setWindowIcon(CImageList::LoadSvgIcon(QStringLiteral(":/corvane/icons/app.svg"),
                                          {16, 24, 32, 48, 64}));
    resize(820, 560);
}

bool CMainFrame::Create()
{
    if (!CreateActions())
        return false;
    CreateMenus();
    if (!CreateToolBar() || !CreateStatusBar())
        return false;

    auto *pPlaceholder = new QFrame(this);
    pPlaceholder->setObjectName(QStringLiteral("ViewPlaceholder"));
    pPlaceholder->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    pPlaceholder->setBackgroundRole(QPalette::Base);
    pPlaceholder->setAutoFillBackground(true);
    SetActiveView(pPlaceholder, nullptr);
    return true;
}

bool CMainFrame::CreateActions()
{
    for (int nID : CMenuTable::Commands()) {
        QString text = CMenuTable::ItemText(nID);
        if (text.isEmpty())
            text = CStringTable::ToolTip(nID);
        auto *pAction = new QAction(text, this);
        pAction->setObjectName(QString::fromLatin1(CommandIdName(nID)));
        pAction->setStatusTip(CStringTable::StatusText(nID));
        const QString tip = CStringTable::ToolTip(nID);
        if (!tip.isEmpty())
            pAction->setToolTip(tip);
        // Toolbar pictures stay on the toolbar; the menu keeps plain items.
        pAction->setIconVisibleInMenu(false);
        if (const QList<QKeySequence> keys = CMenuTable::Shortcuts(nID); !keys.isEmpty()) {
            pAction->setShortcuts(keys);
            pAction->setShortcutContext(Qt::WindowShortcut);
        }
        // Owned by and added to the window, so the accelerator works whether
        // or not the item is in a menu.
        addAction(pAction);
        GetRoute()->AddAction(nID, pAction);
    }
    return true;
}

void CMainFrame::CreateMenus()
{
    for (const CMenuTable::Menu &menu : CMenuTable::Menus()) {
        QMenu *pMenu = menuBar()->addMenu(QString::fromUtf8(menu.pszTitle));
        for (const CMenuTable::Item &item : menu.items) {
            if (!item.nID)
                pMenu->addSeparator();
            else
                pMenu->addAction(GetRoute()->GetAction(item.nID));
        }
        GetRoute()->WatchMenu(pMenu);
    }
}

QMenu *CMainFrame::GetMenu(int nIndex) const
{
    const QList<QAction *> menus = menuBar()->actions();
    return nIndex >= 0 && nIndex < menus.size() ? menus.at(nIndex)->menu() : nullptr;
}

bool CMainFrame::CreateToolBar()
{
    CImageList images;
    CImageList blink;
    const bool bLoaded = images.Add(QStringLiteral(":/corvane/icons/options.svg"))
                         && images.Add(QStringLiteral(":/corvane/icons/properties.svg"))
                         && images.Add(QStringLiteral(":/corvane/icons/refresh-green.svg"))
                         && blink.Add(QStringLiteral(":/corvane/icons/refresh-red.svg"))
                         && blink.Add(QStringLiteral(":/corvane/icons/refresh-darkred.svg"));
    if (!bLoaded)
        return false;

    auto *pToolBar = new CToolBarEx(GetRoute(), this);
    pToolBar->setObjectName(QStringLiteral("ToolBar"));
    pToolBar->setWindowTitle(CStringTable::ToolTip(ID_VIEW_TOOLBAR));
    pToolBar->setIconSize(QSize(16, 16));
    pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    pToolBar->setMovable(true);
    pToolBar->setFloatable(true);
    if (!pToolBar->LoadToolBar(CMenuTable::ToolBar(), images)) {
        delete pToolBar;
        return false;
    }
    pToolBar->AddImages(blink);
    addToolBar(Qt::TopToolBarArea, pToolBar);

    SetControlBars(pToolBar, GetStatusBar());
    return true;
}

bool CMainFrame::CreateStatusBar()
{
    auto *pStatusBar = new CStatusBarEx(this);
    pStatusBar->setObjectName(QStringLiteral("StatusBar"));
    if (!pStatusBar->SetIndicators(CMenuTable::Indicators())) {
        delete pStatusBar;
        return false;
    }
    setStatusBar(pStatusBar);
    SetControlBars(GetToolBar(), pStatusBar);
    return true;
}

void CMainFrame::AttachView(CAdminView *pView, CAdminDoc *pDoc)
{
    m_pView = pView;
    m_pDoc = pDoc;
    // The list stays the active view; only its place in the window changes.
    takeCentralWidget();
    setCentralWidget(CFilterBox::WrapWithView(pView, &m_pFilterBox));
    CreateContextMenu(pView);
    CreateListKeys(pView);
    // The list, not the filter box, takes the keys at start.
    setFocusProxy(pView);
    pView->setFocus();
    connect(pView, &CAdminView::Refreshed, this, [this] {
        m_lastRefresh = QDateTime::currentDateTime();
        UpdateRestStatus();
    });
    connect(pView->GetFilter(), &CViewFilter::Changed, this, &CMainFrame::UpdateRestStatus);
    connect(pView, &CAdminView::PropertySheetSet, this,
            [](QWidget *pSheet) { CWindowState::RestoreSheetPosition(pSheet); });
    UpdateRestStatus();
}

void CMainFrame::CreateContextMenu(CAdminView *pView)
{
    // The menu's own actions: the same enabling, check marks and handlers.
    m_pContextMenu = new QMenu(this);
    m_pContextMenu->setObjectName(QStringLiteral("ContextMenu"));
    m_pContextMenu->setAccessibleName(tr("User commands"));
    for (int nID : CMenuTable::ContextMenu()) {
        if (nID == ID_SEPARATOR)
            m_pContextMenu->addSeparator();
        else if (QAction *pAction = GetRoute()->GetAction(nID))
            m_pContextMenu->addAction(pAction);
    }
    GetRoute()->WatchMenu(m_pContextMenu);
    pView->SetContextMenu(m_pContextMenu);
}

void CMainFrame::CreateListKeys(CAdminView *pView)
{
    auto *pFind = new QAction(tr("Filter"), this);
    pFind->setObjectName(QStringLiteral("FocusFilterAction"));
    QList<QKeySequence> findKeys = QKeySequence::keyBindings(QKeySequence::Find);
    if (!findKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_F)))
        findKeys.append(QKeySequence(Qt::CTRL | Qt::Key_F));
    pFind->setShortcuts(findKeys);
    connect(pFind, &QAction::triggered, this, [this] {
        if (m_pFilterBox)
            m_pFilterBox->Focus();
    });
    addAction(pFind);

    auto *pOpen = new QAction(tr("Open properties"), this);
    pOpen->setObjectName(QStringLiteral("OpenPropertiesAction"));
    pOpen->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Return),
                         QKeySequence(Qt::ALT | Qt::Key_Enter)});
    connect(pOpen, &QAction::triggered, pView, &CAdminView::OpenProperties);
    addAction(pOpen);
}

void CMainFrame::UpdateRestStatus()
{
    CStatusBarEx *pStatusBar = GetStatusBar();
    if (!pStatusBar || !m_pView)
        return;
    // Until the share can be read again, what fails is what matters.
    if (m_pDoc && !m_pDoc->GetShareTrouble().isEmpty()) {
        pStatusBar->SetIdleText(CShareTroubleNotice::StatusText(m_pDoc->GetShareTrouble()));
        return;
    }
    const CViewFilter *pFilter = m_pView->GetFilter();
    pStatusBar->SetIdleText(CRestStatus::Text(m_pDoc ? m_pDoc->GetShareDirectory() : QString(),
                                              pFilter->GetShownUserCount(),
                                              pFilter->GetUserCount(), m_lastRefresh));
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    CWindowState::Save(this, m_pView ? m_pView->GetPropertySheet() : nullptr);
    CFrameWnd::closeEvent(event);
}
