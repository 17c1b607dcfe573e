#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <array>

class CCmdTarget;
class CCmdUI;
class QAction;
class QMenu;

// The command route: a command goes to the view, then the document, then the
// frame, then the application, and the first of them with a handler runs it.
// The same route decides every action's enabled and check state: the first
// target with an update handler for the command decides; where no update
// handler sets "enabled", the command is enabled exactly when some target on
// the route has a handler for it. A command nobody handles is shown disabled.
//
// States are brought up to date before a menu opens and whenever the event
// loop is about to wait; the pass touches only the registered actions, so
// its cost does not depend on how much data the targets hold.
class CCmdRoute : public QObject
{
    Q_OBJECT

public:
    enum Slot { View = 0, Document, Frame, App, SlotCount };

    explicit CCmdRoute(QObject *parent = nullptr);
    ~CCmdRoute() override;

    void SetTarget(Slot slot, CCmdTarget *pTarget);
    CCmdTarget *GetTarget(Slot slot) const;
    // Removes pTarget from every slot that holds it.
    void DetachTarget(CCmdTarget *pTarget);

    // The first target on the route with a handler for nID, or none.
    CCmdTarget *FindHandler(int nID) const;

    // Runs command nID if it is enabled; false when it was not run.
    bool Execute(int nID);

    // Binds an action to a command: triggering it executes the command and
    // the update pass keeps its state.
    void AddAction(int nID, QAction *pAction);
    QAction *GetAction(int nID) const;
    QList<int> GetCommandIds() const { return m_ids; }

    // The state the route gives nID now, without touching any action.
    void QueryState(int nID, CCmdUI *pCmdUI) const;

    void UpdateCmdUI(int nID);
    void UpdateAll();
    // Updates the actions of pMenu each time it is about to open.
    void WatchMenu(QMenu *pMenu);

    // Idle updates are on by default; tests switch them off to look at the
    // state an explicit pass leaves.
    void SetIdleUpdates(bool bOn);

Q_SIGNALS:
    // After each idle pass, for other idle-time state (status-bar panes).
    void Idle();

private:
    void OnAboutToBlock();
    void UpdateMenu(QMenu *pMenu);

    std::array<CCmdTarget *, SlotCount> m_targets{};
    QHash<int, QPointer<QAction>> m_actions;
    QHash<const QAction *, int> m_idsByAction;
    QList<int> m_ids;
    QMetaObject::Connection m_idleConnection;
    bool m_bUpdating = false;
};
