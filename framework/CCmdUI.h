#pragma once

#include <QString>

class QAction;

// What an update handler may say about one command: enabled or not, checked
// or not. Anything a handler leaves alone keeps the action's current state,
// except "enabled", which the route decides from whether a handler exists.
class CCmdUI
{
public:
    explicit CCmdUI(int nID);

    void Enable(bool bOn = true);
    // 0 unchecked, 1 checked; a check makes the action checkable.
    void SetCheck(int nCheck = 1);

    int GetID() const { return m_nID; }
    bool IsEnableChanged() const { return m_bEnableChanged; }
    bool IsEnabled() const { return m_bEnabled; }
    bool IsCheckChanged() const { return m_nCheck >= 0; }
    int GetCheck() const { return m_nCheck; }

    void ApplyTo(QAction *pAction) const;

private:
    int m_nID;
    bool m_bEnableChanged = false;
    bool m_bEnabled = false;
    int m_nCheck = -1;
};
