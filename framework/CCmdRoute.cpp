#include "framework/CCmdRoute.h"

#include "framework/CCmdTarget.h"
#include "framework/CCmdUI.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QMenu>

CCmdRoute::CCmdRoute(QObject *parent) : QObject(parent)
{
    SetIdleUpdates(true);
}

CCmdRoute::~CCmdRoute()
{
    for (CCmdTarget *pTarget : m_targets)
        if (pTarget)
            pTarget->m_routes.removeAll(this);
}

void CCmdRoute::SetTarget(Slot slot, CCmdTarget *pTarget)
{
    CCmdTarget *pOld = m_targets[slot];
    if (pOld == pTarget)
        return;
    m_targets[slot] = pTarget;
    if (pOld && std::find(m_targets.begin(), m_targets.end(), pOld) == m_targets.end())
        pOld->m_routes.removeAll(this);
    if (pTarget && !pTarget->m_routes.contains(this))
        pTarget->m_routes.append(this);
}

CCmdTarget *CCmdRoute::GetTarget(Slot slot) const
{
    return m_targets[slot];
}

void CCmdRoute::DetachTarget(CCmdTarget *pTarget)
{
    for (CCmdTarget *&p : m_targets)
        if (p == pTarget)
            p = nullptr;
    if (pTarget)
        pTarget->m_routes.removeAll(this);
}

CCmdTarget *CCmdRoute::FindHandler(int nID) const
{
    for (CCmdTarget *pTarget : m_targets)
        if (pTarget && pTarget->HasCommandHandler(nID))
            return pTarget;
    return nullptr;
}

void CCmdRoute::QueryState(int nID, CCmdUI *pCmdUI) const
{
    for (CCmdTarget *pTarget : m_targets)
        if (pTarget && pTarget->OnUpdateCmdMsg(nID, pCmdUI))
            break;
    if (!pCmdUI->IsEnableChanged())
        pCmdUI->Enable(FindHandler(nID) != nullptr);
}

bool CCmdRoute::Execute(int nID)
{
    // Checked again here: an accelerator or a toolbar click may come before
    // the next idle pass has disabled the command.
    CCmdUI state(nID);
    QueryState(nID, &state);
    if (!state.IsEnabled())
        return false;
    for (CCmdTarget *pTarget : m_targets)
        if (pTarget && pTarget->OnCmdMsg(nID))
            return true;
    return false;
}

void CCmdRoute::AddAction(int nID, QAction *pAction)
{
    if (!m_ids.contains(nID))
        m_ids.append(nID);
    m_actions.insert(nID, pAction);
    m_idsByAction.insert(pAction, nID);
    connect(pAction, &QObject::destroyed, this,
            [this, pAction] { m_idsByAction.remove(pAction); });
    connect(pAction, &QAction::triggered, this, [this, nID] {
        Execute(nID);
        // The command may have changed what other commands allow (a sheet
        // shown, a toolbar hidden): show it without waiting for idle time.
        UpdateAll();
    });
    UpdateCmdUI(nID);
}

QAction *CCmdRoute::GetAction(int nID) const
{
    return m_actions.value(nID);
}

void CCmdRoute::UpdateCmdUI(int nID)
{
    QAction *pAction = GetAction(nID);
    if (!pAction)
        return;
    CCmdUI state(nID);
    QueryState(nID, &state);
    state.ApplyTo(pAction);
}

void CCmdRoute::UpdateAll()
{
    if (m_bUpdating)
        return;
    m_bUpdating = true;
    for (int nID : std::as_const(m_ids))
        UpdateCmdUI(nID);
    m_bUpdating = false;
}

void CCmdRoute::UpdateMenu(QMenu *pMenu)
{
    for (const QAction *pAction : pMenu->actions()) {
        const auto it = m_idsByAction.constFind(pAction);
        if (it != m_idsByAction.constEnd())
            UpdateCmdUI(it.value());
    }
}

void CCmdRoute::WatchMenu(QMenu *pMenu)
{
    connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { UpdateMenu(pMenu); });
}

void CCmdRoute::SetIdleUpdates(bool bOn)
{
    disconnect(m_idleConnection);
    m_idleConnection = {};
    if (!bOn)
        return;
    if (QAbstractEventDispatcher *pDispatcher = QAbstractEventDispatcher::instance(thread()))
        m_idleConnection = connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                                   &CCmdRoute::OnAboutToBlock);
}

void CCmdRoute::OnAboutToBlock()
{
    if (m_bUpdating)
        return;
    UpdateAll();
    Q_EMIT Idle();
}
