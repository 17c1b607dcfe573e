#include "sheets/restrictions/CRestrictionsSheet.h"

#include "platform/FileSystem.h"
#include "sheets/restrictions/CRestrictionPage.h"
#include "sheets/restrictions/CSendRecipientsWnd.h"
#include "sheets/restrictions/CSettingAlarmWnd.h"
#include "sheets/restrictions/CSettingCreationWnd.h"
#include "sheets/restrictions/CSettingModels.h"
#include "sheets/restrictions/CSettingOptionsWnd.h"
#include "sheets/restrictions/CSettingSendOptionsWnd.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CBulkProgressDlg.h"

#include <QHash>
#include <QSet>

namespace {

CRestrictionPage *CreatePage(int nGroup, const QList<quint32> &restrictions)
{
    switch (nGroup) {
    case CSettingCreationWnd::Group: return new CSettingCreationWnd(restrictions);
    case CSettingAlarmWnd::Group: return new CSettingAlarmWnd(restrictions);
    case CSendRecipientsWnd::Group: return new CSendRecipientsWnd(restrictions);
    case CSettingSendOptionsWnd::Group: return new CSettingSendOptionsWnd(restrictions);
    case CSettingModels::Group: return new CSettingModels(restrictions);
    case CSettingOptionsWnd::Group: return new CSettingOptionsWnd(restrictions);
    default: return nullptr;
    }
}

QString LoginText(const CUser *pUser)
{
    return FileSystem::DecodeName(pUser->GetLogin());
}

} // namespace

CRestrictionsSheet::CRestrictionsSheet(const QList<CUser *> &users, QWidget *parent)
    : CPropertySheet(QStringLiteral("Restrictions"), parent)
{
    setObjectName(QStringLiteral("RestrictionsSheet"));
    // Requests are written only once the sheet closes with OK, so an Apply
    // button would promise something it cannot do.
    SetApplyButton(false);

    for (CUser *pUser : UniqueUsers(users)) {
        if (pUser->LoadRestrictions(0)) {
            m_users.append(pUser);
        } else {
            m_readProblems.append(
                QStringLiteral("%1: the user's file could not be read, so its restrictions "
                               "were left as they are.")
                    .arg(LoginText(pUser)));
        }
    }

    for (int nGroup = 0; nGroup < CRestrictions::GroupCount; ++nGroup) {
        QList<quint32> restrictions;
        restrictions.reserve(m_users.size());
        for (CUser *pUser : std::as_const(m_users))
            restrictions.append(CRestrictions::MakeWord(pUser->GetActiveRestrictions(nGroup),
                                                        pUser->GetRequestedRestrictions(nGroup)));
        m_pPages[nGroup] = CreatePage(nGroup, restrictions);
        AddPage(m_pPages[nGroup]);
    }
}

QList<CUser *> CRestrictionsSheet::UniqueUsers(const QList<CUser *> &users)
{
    QList<CUser *> unique;
    QSet<CUser *> seen;
    unique.reserve(users.size());
    for (CUser *pUser : users) {
        if (pUser && !seen.contains(pUser)) {
            seen.insert(pUser);
            unique.append(pUser);
        }
    }
    return unique;
}

CRestrictionPage *CRestrictionsSheet::GetRestrictionPage(int nGroup) const
{
    return CRestrictions::IsValidGroup(nGroup) ? m_pPages[nGroup] : nullptr;
}

CBulkWriter::Task CRestrictionsSheet::RequestTask() const
{
    // The pages' words are copied here: the pool's threads read them while
    // the sheet's widgets stay on the user-interface thread.
    std::vector<std::pair<int, QList<quint32>>> requests;
    for (int nGroup = 0; nGroup < CRestrictions::GroupCount; ++nGroup) {
        const CRestrictionPage *pPage = m_pPages[nGroup];
        if (pPage && pPage->WasShown())
            requests.emplace_back(nGroup, pPage->GetRestrictions());
    }
    return [users = m_users, requests = std::move(requests)](qsizetype nUser) {
        CUser *pUser = users[nUser];
        ProfileResult first = ProfileResult::Success();
        for (const auto &[nGroup, restrictions] : requests) {
            if (nUser >= restrictions.size())
                continue;
            const ProfileResult result = pUser->SetRequestedRestrictions(
                nGroup, CRestrictions::RequestedHalf(restrictions[nUser]));
            if (!result && first)
                first = result;
        }
        return first;
    };
}

QStringList CRestrictionsSheet::Problems(const CBulkWriter &writer) const
{
    QStringList problems = m_readProblems;
    const std::vector<CBulkWriter::Item> &items = writer.GetItems();
    for (size_t i = 0; i < items.size() && qsizetype(i) < m_users.size(); ++i)
        if (items[i].state == CBulkWriter::State::Failed)
            problems.append(
                QStringLiteral("%1: %2").arg(LoginText(m_users[qsizetype(i)]), items[i].result.message));
    return problems;
}

QStringList CRestrictionsSheet::ApplyRequests(int nInFlight)
{
    CBulkWriter writer(m_users.size(), RequestTask(), nInFlight);
    writer.Start();
    writer.Wait();
    return Problems(writer);
}

QString CRestrictionsSheet::ProblemMessage(const QStringList &problems)
{
    if (problems.isEmpty())
        return {};
    QString text = QStringLiteral(
        "The restrictions of these users could not be changed; asking again will retry them:\n");
    const qsizetype listed = qMin<qsizetype>(problems.size(), MaxListedProblems);
    for (qsizetype i = 0; i < listed; ++i)
        text += QLatin1Char('\n') + problems[i];
    if (problems.size() > listed)
        text += QStringLiteral("\n\n... and %1 more users (%2 in all).")
                    .arg(problems.size() - listed)
                    .arg(problems.size());
    return text;
}

void CRestrictionsSheet::Run(QWidget *parent, const QList<CUser *> &users)
{
    QStringList problems;
    QString csStatus;
    QString csCancelled;
    {
        CRestrictionsSheet sheet(users, parent);
        if (sheet.DoModal() != IDOK)
            return;
        const QList<CUser *> &written = sheet.GetUsers();
        CBulkWriter writer(written.size(), sheet.RequestTask(),
                           CBulkProgressDlg::FilesInFlight());
        CBulkProgressDlg::Run(parent, QStringLiteral("Restrictions"),
                              QStringLiteral("Sending the restrictions to the users' files..."),
                              writer);
        problems = sheet.Problems(writer);
        const qsizetype nNotStarted = writer.CountIn(CBulkWriter::State::NotStarted);
        csStatus = CBulkProgressDlg::Summary(
            QStringLiteral("Restrictions sent to"), writer.CountIn(CBulkWriter::State::Written),
            writer.CountIn(CBulkWriter::State::Failed) + sheet.GetReadProblems().size(),
            nNotStarted);
        if (nNotStarted > 0) {
            QStringList names;
            for (qsizetype i = 0; i < written.size(); ++i)
                if (writer.GetItems()[size_t(i)].state == CBulkWriter::State::Written)
                    names.append(LoginText(written[i]));
            csCancelled = CBulkProgressDlg::CancelMessage(QStringLiteral("The restrictions"),
                                                          names, nNotStarted);
        }
    }
    // The sheet is gone before the message comes, so the message does not
    // sit over a sheet that no longer does anything.
    CBulkProgressDlg::ShowStatusLine(parent, csStatus);
    QString csText = csCancelled;
    if (!problems.isEmpty())
        csText += (csText.isEmpty() ? QString() : QStringLiteral("\n\n")) + ProblemMessage(problems);
    if (!csText.isEmpty())
        CAppMessageBox::Exclamation(parent, csText);
}
