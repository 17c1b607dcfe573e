#include "framework/CCmdUI.h"

#include <QAction>

CCmdUI::CCmdUI(int nID) : m_nID(nID)
{
}

void CCmdUI::Enable(bool bOn)
{
    m_bEnableChanged = true;
    m_bEnabled = bOn;
}

void CCmdUI::SetCheck(int nCheck)
{
    m_nCheck = nCheck ? 1 : 0;
}

void CCmdUI::ApplyTo(QAction *pAction) const
{
    if (!pAction)
        return;
    // QAction ignores a set to the value it already has, so repeating the
    // update pass while idle costs no repaint.
    if (m_bEnableChanged)
        pAction->setEnabled(m_bEnabled);
    if (m_nCheck >= 0) {
        if (!pAction->isCheckable())
            pAction->setCheckable(true);
        pAction->setChecked(m_nCheck == 1);
    }
}
