#include "sheets/properties/CUpgradeCommand.h"

#include "framework/CPropertySheet.h"
#include "platform/CodePage.h"
#include "sheets/properties/CUpgradeWnd.h"
#include "store/CBulkWriter.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CBulkProgressDlg.h"
#include "view/CAdminView.h"

int CUpgradeCommand::OnActionsUpgrade(CAdminView *pView)
{
    CPropertySheet sheet(QString(), pView);
    sheet.setObjectName(QStringLiteral("UpgradeSheet"));
    sheet.SetApplyButton(false);
    auto *pPage = new CUpgradeWnd;
    sheet.AddPage(pPage);
    const int nResult = sheet.DoModal();
    if (nResult != CPropertySheet::IDOK || !pView || !pView->GetDocument())
        return nResult;
    // The rows are read now, after the sheet: the list went on refreshing
    // underneath it.
    QList<CUser *> selected;
    if (pView->GetSelectedUsers(selected) == 0)
        return nResult;
    QList<CUser *> users;
    for (CUser *pUser : std::as_const(selected))
        if (pUser)
            users.append(pUser);
    const QByteArray value = pPage->GetRequestValue();
    CBulkWriter writer(users.size(),
                       [&users, value](qsizetype i) { return users.at(i)->RequestUpgrade(value); },
                       CBulkProgressDlg::FilesInFlight());
    CBulkProgressDlg::Run(pView->window(), QStringLiteral("Upgrade"),
                          QStringLiteral("Writing the upgrade request into the users' files..."),
                          writer);
    QStringList problems;
    QStringList written;
    for (qsizetype i = 0; i < users.size(); ++i) {
        CUser *pUser = users[i];
        const CBulkWriter::Item &item = writer.GetItems()[size_t(i)];
        if (item.state == CBulkWriter::State::Written) {
            // Only a request the client can find is worth waiting for.
            pUser->MarkUpgradeRequested();
            written.append(CodePage::Decode(pUser->GetLogin()));
        } else if (item.state == CBulkWriter::State::Failed) {
            problems.append(QStringLiteral("%1: %2").arg(CodePage::Decode(pUser->GetLogin()),
                                                         item.result.message));
        }
        pView->UpdateUserRow(pUser, false);
    }
    const qsizetype nNotStarted = writer.CountIn(CBulkWriter::State::NotStarted);
    CBulkProgressDlg::ShowStatusLine(
        pView, CBulkProgressDlg::Summary(QStringLiteral("Upgrade requested for"), written.size(),
                                         problems.size(), nNotStarted));
    QString csText;
    if (nNotStarted > 0)
        csText = CBulkProgressDlg::CancelMessage(QStringLiteral("The upgrade request"), written,
                                                 nNotStarted);
    if (!problems.isEmpty())
        csText += (csText.isEmpty() ? QString() : QStringLiteral("\n\n")) + ProblemMessage(problems);
    if (!csText.isEmpty())
        CAppMessageBox::Error(pView, csText);
    return nResult;
}

QString CUpgradeCommand::ProblemMessage(const QStringList &problems)
{
    if (problems.isEmpty())
        return QString();
    const QString csUsers = problems.size() == 1
                                ? QStringLiteral("1 user")
                                : QStringLiteral("%1 users").arg(problems.size());
    QString csText = QStringLiteral("The upgrade request could not be written for %1, so their "
                                    "clients will not upgrade:\n\n")
                         .arg(csUsers);
    csText += problems.mid(0, MaxListedProblems).join(QLatin1Char('\n'));
    if (problems.size() > MaxListedProblems)
        csText += QStringLiteral("\n... and %1 more.").arg(problems.size() - MaxListedProblems);
    return csText;
}
