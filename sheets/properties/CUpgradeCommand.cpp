#include "sheets/properties/CUpgradeCommand.h"

#include "framework/CPropertySheet.h"
#include "platform/CodePage.h"
#include "sheets/properties/CUpgradeWnd.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"
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
    QList<CUser *> users;
    if (pView->GetSelectedUsers(users) == 0)
        return nResult;
    const QStringList problems = SendRequests(users, pPage->GetRequestValue());
    for (CUser *pUser : std::as_const(users))
        pView->UpdateUserRow(pUser, false);
    if (!problems.isEmpty())
        CAppMessageBox::Error(pView, ProblemMessage(problems));
    return nResult;
}

QStringList CUpgradeCommand::SendRequests(const QList<CUser *> &users, const QByteArray &value)
{
    QStringList problems;
    for (CUser *pUser : users) {
        if (!pUser)
            continue;
        const ProfileResult result = pUser->RequestUpgrade(value);
        if (result) {
            // Only a request the client can find is worth waiting for.
            pUser->MarkUpgradeRequested();
        } else {
            problems.append(QStringLiteral("%1: %2").arg(CodePage::Decode(pUser->GetLogin()),
                                                         result.message));
        }
    }
    return problems;
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
