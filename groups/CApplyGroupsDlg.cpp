#include "groups/CApplyGroupsDlg.h"

#include "framework/CCheckListBox.h"
#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"
#include "groups/CGroupNames.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "store/CAdminDoc.h"
#include "store/CBulkWriter.h"
#include "store/CGroup.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CBulkProgressDlg.h"
#include "ui_CApplyGroupsDlg.h"

#include <QListWidgetItem>

namespace {
// The group's name as bytes, looked up byte for byte when applied.
constexpr int kNameRole = Qt::UserRole + 20;
} // namespace

CApplyGroupsDlg::CApplyGroupsDlg(CAdminDoc *pDoc, SelectionFn selectedUsers, QWidget *pParent)
    : QDialog(pParent), m_pDoc(pDoc), m_selectedUsers(std::move(selectedUsers)),
      m_pUi(std::make_unique<Ui::CApplyGroupsDlg>())
{
    m_pUi->setupUi(this);
    setModal(false);
    GetGroupList()->SetCheckStyle(CCheckListBox::ThreeState);
    GetGroupList()->SetSorted(true);
    connect(m_pUi->applyButton, &QPushButton::clicked, this, &CApplyGroupsDlg::OnApply);
    // The framework's cancel: the window hides and keeps its state.
    connect(m_pUi->cancelButton, &QPushButton::clicked, this, &CApplyGroupsDlg::reject);

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] { Refresh(false); });

    Refresh(true);
}

CApplyGroupsDlg::~CApplyGroupsDlg() = default;

CCheckListBox *CApplyGroupsDlg::GetGroupList() const
{
    return m_pUi->groupList;
}

void CApplyGroupsDlg::ShowOrHide()
{
    if (isVisible()) {
        hide();
        return;
    }
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    Refresh(false);
}

void CApplyGroupsDlg::OnSelectionChanged()
{
    if (isVisible())
        m_refreshTimer.start();
}

void CApplyGroupsDlg::OnSharedGroupsChanged()
{
    if (isVisible())
        Refresh(false);
}

QList<CUser *> CApplyGroupsDlg::SelectedUsers() const
{
    return m_selectedUsers ? m_selectedUsers() : QList<CUser *>();
}

void CApplyGroupsDlg::Refresh(bool bRebuild)
{
    m_refreshTimer.stop();
    // While Apply writes, the users' groups belong to its threads.
    if (!m_pDoc || m_bApplying)
        return;
    const QList<CUser *> users = SelectedUsers();
    for (auto it = users.crbegin(); it != users.crend(); ++it)
        (*it)->LoadGroups(*m_pDoc);

    QList<QByteArray> names;
    for (const CGroup *pGroup : m_pDoc->GetGroups())
        if (pGroup)
            names.append(pGroup->GetName());
    if (bRebuild || names != m_builtNames)
        Rebuild(names);
    if (users.isEmpty())
        return;

    CCheckListBox *pList = GetGroupList();
    for (int nIndex = 0; nIndex < pList->GetCount(); ++nIndex) {
        const QByteArray name = EntryName(nIndex);
        qsizetype nHaving = 0;
        for (const CUser *pUser : users)
            if (CGroupNames::Find(pUser->GetGroups(), name))
                ++nHaving;
        pList->SetCheck(nIndex, nHaving == 0 ? Unchecked
                                : nHaving == users.size() ? Checked
                                                          : Mixed);
    }
}

void CApplyGroupsDlg::Rebuild(const QList<QByteArray> &names)
{
    CCheckListBox *pList = GetGroupList();
    pList->ResetContent();
    for (const QByteArray &name : names) {
        const int nIndex = pList->AddString(FileSystem::DecodeName(name));
        if (nIndex >= 0)
            pList->item(nIndex)->setData(kNameRole, name);
    }
    m_builtNames = names;
}

QByteArray CApplyGroupsDlg::EntryName(int nIndex) const
{
    const QListWidgetItem *pItem = GetGroupList()->item(nIndex);
    return pItem ? pItem->data(kNameRole).toByteArray() : QByteArray();
}

int CApplyGroupsDlg::FindEntry(const QByteArray &name) const
{
    for (int nIndex = 0; nIndex < GetGroupList()->GetCount(); ++nIndex)
        if (EntryName(nIndex) == name)
            return nIndex;
    return -1;
}

void CApplyGroupsDlg::OnApply()
{
    if (m_refreshTimer.isActive())
        Refresh(false);
    if (!m_pDoc)
        return;
    const QList<CUser *> users = SelectedUsers();
    if (users.isEmpty())
        return;
    QList<QByteArray> checked;
    for (int nIndex = 0; nIndex < GetGroupList()->GetCount(); ++nIndex)
        if (GetGroupList()->GetCheck(nIndex) == Checked)
            checked.append(EntryName(nIndex));

    // Logins added to Users.ini since the last refresh become members here,
    // instead of staying unknown in the groups about to be rewritten.
    m_pDoc->LoadRoster();
    // Copies of the groups, in the order of the list: the pool's threads
    // must not read the document's objects while the list refreshes.
    std::vector<CGroup> groups;
    for (const QByteArray &name : std::as_const(checked))
        if (const CGroup *pGroup = m_pDoc->FindGroup(name))
            groups.push_back(*pGroup);
    // The last selected user first, as always.
    const QList<CUser *> order(users.crbegin(), users.crend());
    // Users whose file already has a group of a checked name: the
    // administrator is asked about those below, one by one.
    std::vector<char> asks(size_t(order.size()), 0);
    const CAdminDoc *pDoc = m_pDoc;
    CBulkWriter writer(
        order.size(),
        [&order, &groups, &asks, pDoc](qsizetype i) {
            CUser *pUser = order.at(i);
            // The client edits its own groups too: apply to what the file
            // holds now, not to what it held when the checks were shown.
            pUser->LoadGroups(*pDoc);
            for (const CGroup &group : groups) {
                if (CGroupNames::Find(pUser->GetGroups(), group.GetName())) {
                    asks[size_t(i)] = 1;
                    return ProfileResult::Success();
                }
                pUser->AddGroup(std::make_unique<CGroup>(group));
            }
            return pUser->SaveGroups();
        },
        CBulkProgressDlg::FilesInFlight());
    m_bApplying = true;
    CBulkProgressDlg::Run(this, tr("Apply groups"), tr("Applying the groups to the users' files..."),
                          writer);
    m_bApplying = false;

    QStringList failures;
    QStringList written;
    for (qsizetype i = 0; i < order.size(); ++i) {
        CUser *pUser = order[i];
        const CBulkWriter::Item &item = writer.GetItems()[size_t(i)];
        ProfileResult result = item.result;
        if (item.state == CBulkWriter::State::NotStarted)
            continue;
        if (asks[size_t(i)] && m_pDoc) {
            pUser->LoadGroups(*m_pDoc);
            for (const CGroup &group : groups)
                ApplyGroup(pUser, group);
            result = pUser->SaveGroups();
        }
        if (result)
            written.append(CodePage::Decode(pUser->GetLogin()));
        else
            failures.append(result.message);
    }
    const qsizetype nNotStarted = writer.CountIn(CBulkWriter::State::NotStarted);
    CBulkProgressDlg::ShowStatusLine(parentWidget(),
                                     CBulkProgressDlg::Summary(tr("Groups applied to"),
                                                               written.size(), failures.size(),
                                                               nNotStarted));
    QString csText;
    if (nNotStarted > 0)
        csText = CBulkProgressDlg::CancelMessage(tr("The groups"), written, nNotStarted);
    if (!failures.isEmpty())
        csText += (csText.isEmpty() ? QString() : QStringLiteral("\n\n"))
                  + tr("The groups of some users could not be saved:\n\n%1")
                        .arg(failures.join(QLatin1Char('\n')));
    if (!csText.isEmpty())
        CAppMessageBox::Error(this, csText);
    // A selection change while the files were written is seen now.
    if (isVisible())
        m_refreshTimer.start();
}

void CApplyGroupsDlg::ApplyGroup(CUser *pUser, const CGroup &group)
{
    // Names that differ only in case are one key of the user's file, so
    // such a group counts as one of the same name.
    CGroup *pExisting = CGroupNames::Find(pUser->GetGroups(), group.GetName());
    if (!pExisting) {
        pUser->AddGroup(std::make_unique<CGroup>(group));
        return;
    }
    const QByteArray who = pUser->GetFullName().isEmpty() ? pUser->GetLogin()
                                                          : pUser->GetFullName();
    const QString csText = CStringTable::Load(IDS_USER_GROUP_EXISTS)
                               .arg(FileSystem::DecodeName(who),
                                    FileSystem::DecodeName(pExisting->GetName()));
    switch (CAppMessageBox::Question(this, csText)) {
    case QMessageBox::Yes: {
        const QByteArray copyName =
            CGroupNames::CopyName(group.GetName(), [pUser](const QByteArray &n) {
                return CGroupNames::Find(pUser->GetGroups(), n) != nullptr;
            });
        if (const QString why = CGroupNames::Check(copyName, {}); !why.isEmpty()) {
            CAppMessageBox::Error(this, why);
            return;
        }
        auto pCopy = std::make_unique<CGroup>(group);
        pCopy->SetName(copyName);
        pUser->AddGroup(std::move(pCopy));
        break;
    }
    case QMessageBox::No:
        *pExisting = group;
        break;
    default:
        break; // this group, for this user only
    }
}
