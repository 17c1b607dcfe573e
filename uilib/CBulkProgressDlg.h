#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class CBulkWriter;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a write to many user files: "n of N users", a bar and a
// Cancel button that stops the write between files. The dialog is modal, so
// the administrator cannot start other work on the same users meanwhile,
// while the main window's list goes on refreshing underneath it.
class CBulkProgressDlg : public QDialog
{
    Q_OBJECT

public:
    // A write that ends within this does not flash a dialog.
    static constexpr int kShowDelayMs = 400;
    // Mentioned by name, not merely counted, up to this many users.
    static constexpr int kMaxListedUsers = 20;

    CBulkProgressDlg(const QString &title, const QString &action, qsizetype total,
                     QWidget *parent = nullptr);

    // Starts writer and returns once every thread of its pool has ended.
    // The dialog appears when the write takes longer than kShowDelayMs;
    // until then the program takes no clicks or keys (they wait).
    static void Run(QWidget *parent, const QString &title, const QString &action,
                    CBulkWriter &writer);

    // How many files are written at once: the FilesInFlight setting of
    // the current user, 1 to 64, CBulkWriter::kDefaultInFlight when unset.
    static int FilesInFlight();

    // One line for the status bar: "<done> 998 users; 2 could not be
    // written", with "; cancelled, 12 left unchanged" after a cancel.
    static QString Summary(const QString &done, qsizetype written, qsizetype failed,
                           qsizetype notStarted);
    // After a cancel: who keeps the change and how many were not touched.
    static QString CancelMessage(const QString &what, const QStringList &written,
                                 qsizetype notStarted);
    // Shows text in the status bar of parent's main window, if it has one,
    // over the text at rest, which comes back after nMilliseconds.
    static constexpr int kStatusLineTime = 15000;
    static void ShowStatusLine(QWidget *parent, const QString &text,
                               int nMilliseconds = kStatusLineTime);

    void SetDone(qsizetype done);
    bool IsCancelling() const { return m_bCancelling; }

Q_SIGNALS:
    void CancelRequested();

public Q_SLOTS:
    // Escape and the close box cancel too; the dialog stays until the
    // files being written are done.
    void reject() override;

private:
    qsizetype m_nTotal;
    bool m_bCancelling = false;
    QLabel *m_pAction;
    QLabel *m_pCount;
    QProgressBar *m_pBar;
    QPushButton *m_pCancel;
};
