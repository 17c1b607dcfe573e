#pragma once

#include <QDialog>

#include <memory>

class CZoDlgEnder;

// The shared UI library's dialog base. Its result ids are the usual ones
// (IDOK 1, IDCANCEL 2, ... IDNO 7). EndDialog may be called from any thread;
// the request is carried out on the dialog's own thread, and a dialog that
// has already closed ignores it.
class CZoCoolDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;
    static constexpr int IDABORT = 3;
    static constexpr int IDRETRY = 4;
    static constexpr int IDIGNORE = 5;
    static constexpr int IDYES = 6;
    static constexpr int IDNO = 7;

    explicit CZoCoolDlg(QWidget *parent = nullptr);
    ~CZoCoolDlg() override;

    // Runs the dialog modally and returns the result it was ended with. A
    // dialog ended before it was shown returns that result at once.
    virtual int DoModal();
    void EndDialog(int nResult);

    // For threads that may outlive the dialog: see CZoDlgEnder.
    std::shared_ptr<CZoDlgEnder> GetEnder() const { return m_pEnder; }

    bool IsRunning() const { return m_bRunning; }

private:
    void EndDialogHere(int nResult);

    std::shared_ptr<CZoDlgEnder> m_pEnder;
    bool m_bRunning = false;
    bool m_bClosed = false;
    bool m_bEndPending = false;
    int m_nPendingResult = 0;
};
