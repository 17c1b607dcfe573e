#include "sheets/configure/CLogFileViewer.h"

#include "platform/LocalTime.h"
#include "store/CLogFile.h"
#include "store/CLogFileWatcher.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CZoDlgEnder.h"
#include "uilib/CZoMessageBox.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

namespace {

bool OpenInSystemEditor(const QString &path)
{
#ifdef Q_OS_WIN
    // The log is plain text whatever program the extension is bound to.
    return QProcess::startDetached(QStringLiteral("notepad.exe"),
                                   {QDir::toNativeSeparators(path)}, QStringLiteral("."));
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

CLogFileViewer::Opener &TheOpener()
{
    static CLogFileViewer::Opener opener;
    return opener;
}

} // namespace

void CLogFileViewer::FetchAndShow(QWidget *pParent, CUser &user)
{
    // The old log is not removed: if the client does not answer, it is the
    // only copy there is. A new one is told from it by its time and size.
    const FileSystem::Status old = CLogFile::GetStatus(user);
    if (const ProfileResult result = user.RequestLogs(); !result) {
        // Without the request no client will ever answer; waiting would be
        // for nothing.
        CAppMessageBox::Error(pParent, QStringLiteral("The request for the log file could not "
                                                      "be written, so the client was not asked "
                                                      "for it:\n\n%1")
                                           .arg(result.message));
        return;
    }
    WaitForLogFile(pParent, user, old);
    ShowLogFile(pParent, user, old);
}

void CLogFileViewer::WaitForLogFile(QWidget *pParent, const CUser &user,
                                    const FileSystem::Status &old)
{
    CZoMessageBox box(pParent);
    // The watcher ends the box through the ender, which forgets the box when
    // it goes; and once Stop() has returned the watcher ends nothing.
    CLogFileWatcher watcher(g_shareDirectory.Get(), user.GetLogin(),
                            [pEnder = box.GetEnder()] {
                                pEnder->EndDialog(CZoCoolDlg::IDCANCEL);
                            });
    watcher.SetOldLog(old);
    watcher.start();
    CZoMessageBox::InitButtonIds();
    box.SetType(CZoMessageBox::Close, CZoMessageBox::ButtonBit(CZoCoolDlg::IDCANCEL));
    box.DoModal();
    // However the box closed, the wait is over.
    watcher.Stop();
}

void CLogFileViewer::ShowLogFile(QWidget *pParent, const CUser &user,
                                 const FileSystem::Status &old)
{
    const std::optional<QString> path = CLogFile::Path(user);
    if (!CLogFile::Exists(user) || !path) {
        CAppMessageBox::Exclamation(pParent, QStringLiteral("Log file doesn't exist"));
        return;
    }
    if (!CLogFile::IsNewer(CLogFile::GetStatus(user), old)) {
        const QString csText =
            QStringLiteral("The client has not sent a new log file.\n\nDo you want to see the "
                           "log file it sent before, of %1?")
                .arg(LocalTime::Format(old.mtime, "%m-%d-%Y %H:%M:%S"));
        if (CAppMessageBox::Show(pParent, csText, QMessageBox::Question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
            != QMessageBox::Yes)
            return;
    }
    const Opener &opener = TheOpener();
    if (!(opener ? opener(*path) : OpenInSystemEditor(*path)))
        CAppMessageBox::Error(pParent, QStringLiteral("No text editor could be started to show "
                                                      "the log file %1.")
                                           .arg(QDir::toNativeSeparators(*path)));
}

void CLogFileViewer::ClearLogFile(QWidget *pParent, CUser &user)
{
    if (const ProfileResult result = user.ClearLogFile(); !result)
        CAppMessageBox::Error(pParent, result.message);
}

void CLogFileViewer::SetOpener(Opener opener)
{
    TheOpener() = std::move(opener);
}
