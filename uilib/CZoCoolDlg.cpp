#include "uilib/CZoCoolDlg.h"

#include "uilib/CZoDlgEnder.h"

#include <QThread>

CZoCoolDlg::CZoCoolDlg(QWidget *parent)
    : QDialog(parent), m_pEnder(new CZoDlgEnder(this))
{
}

CZoCoolDlg::~CZoCoolDlg()
{
    m_pEnder->Detach();
}

int CZoCoolDlg::DoModal()
{
    if (m_bEndPending) {
        // A waiter that finished before the box came up must still end the
        // wait; otherwise the box would sit there until closed by hand.
        m_bEndPending = false;
        return m_nPendingResult;
    }
    m_bClosed = false;
    m_bRunning = true;
    const int nResult = exec();
    m_bRunning = false;
    m_bClosed = true;
    return nResult;
}

void CZoCoolDlg::EndDialog(int nResult)
{
    if (QThread::currentThread() == thread()) {
        EndDialogHere(nResult);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, nResult] { EndDialogHere(nResult); }, Qt::QueuedConnection);
}

void CZoCoolDlg::EndDialogHere(int nResult)
{
    if (m_bRunning) {
        done(nResult);
    } else if (!m_bClosed) {
        // Not shown yet: DoModal returns at once with this result. A dialog
        // that has already closed is left alone.
        m_bEndPending = true;
        m_nPendingResult = nResult;
    }
}
