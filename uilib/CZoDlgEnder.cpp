#include "uilib/CZoDlgEnder.h"

#include "uilib/CZoCoolDlg.h"

bool CZoDlgEnder::EndDialog(int nResult)
{
    // Held while the request is posted: the dialog's destructor waits for it,
    // and a request still queued when the dialog goes is discarded with it.
    std::lock_guard lock(m_mutex);
    if (!m_pDlg)
        return false;
    m_pDlg->EndDialog(nResult);
    return true;
}

void CZoDlgEnder::Detach()
{
    std::lock_guard lock(m_mutex);
    m_pDlg = nullptr;
}
