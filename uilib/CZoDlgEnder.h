#pragma once

#include <memory>
#include <mutex>

class CZoCoolDlg;

// A handle through which any thread may end a CZoCoolDlg. The dialog clears
// the handle when it is destroyed, so a late EndDialog from a worker finds
// nothing to end instead of touching freed memory.
class CZoDlgEnder
{
public:
    // Asks the dialog to end with nResult on its own thread; false when the
    // dialog no longer exists.
    bool EndDialog(int nResult);

private:
    friend class CZoCoolDlg;
    explicit CZoDlgEnder(CZoCoolDlg *pDlg) : m_pDlg(pDlg) {}
    void Detach();

    std::mutex m_mutex;
    CZoCoolDlg *m_pDlg;
};
