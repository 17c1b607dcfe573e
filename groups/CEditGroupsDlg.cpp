#include "groups/CEditGroupsDlg.h"

#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"
#include "groups/CGroupNames.h"
#include "groups/CGroupTreeModel.h"
#include "groups/CGroupTreeView.h"
#include "platform/FileSystem.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"
#include "uilib/CAppMessageBox.h"
#include "ui_CEditGroupsDlg.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

int CEditGroupsDlg::s_nGroupCounter = 0;

namespace {

std::vector<std::unique_ptr<CGroup>> CopyGroups(const QList<CGroup *> &groups)
{
    std::vector<std::unique_ptr<CGroup>> copies;
    copies.reserve(size_t(groups.size()));
    for (const CGroup *pGroup : groups)
        if (pGroup)
            copies.push_back(std::make_unique<CGroup>(*pGroup));
    return copies;
}

} // namespace

CEditGroupsDlg::CEditGroupsDlg(CAdminDoc *pDoc, EMode eMode, CUser *pUser, QWidget *pParent)
    : QDialog(pParent), m_pDoc(pDoc), m_eMode(eMode), m_pUser(eMode == UserGroups ? pUser : nullptr),
      m_pUi(std::make_unique<Ui::CEditGroupsDlg>())
{
    m_pUi->setupUi(this);
    setAcceptDrops(true);

    QList<CUser *> users;
    QList<CGroup *> groups;
    if (m_pDoc) {
        m_nGroupsGeneration = m_pDoc->GetGroupsGeneration();
        users = m_pDoc->GetUsers();
        if (m_eMode == SharedGroups) {
            groups = m_pDoc->GetGroups();
        } else if (m_pUser) {
            m_pUser->LoadGroups(*m_pDoc);
            groups = m_pUser->GetGroups();
        }
    }

    m_pModel = new CGroupTreeModel(users, groups, this);
    m_pUi->groupTree->setModel(m_pModel);
    connect(m_pUi->groupTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { OnCurrentChanged(current); });
    // Told after the editor has closed: a box that took the focus while the
    // editor commits would make it commit again.
    connect(m_pModel, &CGroupTreeModel::RenameRefused, this, &CEditGroupsDlg::OnRenameRefused,
            Qt::QueuedConnection);
    connect(m_pUi->okButton, &QPushButton::clicked, this, &CEditGroupsDlg::accept);
    connect(m_pUi->cancelButton, &QPushButton::clicked, this, &CEditGroupsDlg::reject);
    connect(m_pUi->newGroupButton, &QPushButton::clicked, this, [this] { OnNewGroup(); });
    connect(m_pUi->uploadButton, &QPushButton::clicked, this, &CEditGroupsDlg::OnUpload);
}

CEditGroupsDlg::~CEditGroupsDlg() = default;

int CEditGroupsDlg::DoModal()
{
    return exec();
}

CGroupTreeView *CEditGroupsDlg::GetTree() const
{
    return m_pUi->groupTree;
}

QModelIndex CEditGroupsDlg::OnNewGroup()
{
    const QByteArray name = CGroupNames::NewGroupName(s_nGroupCounter, [this](const QByteArray &n) {
        return m_pModel->IsGroupNameTaken(n);
    });
    const QModelIndex index = m_pModel->AddGroup(std::make_unique<CGroup>(name));
    CGroupTreeView *pTree = GetTree();
    pTree->scrollTo(index);
    pTree->setCurrentIndex(index);
    pTree->edit(index);
    return index;
}

void CEditGroupsDlg::OnUpload()
{
    if (const CGroup *pGroup = m_pModel->GetGroup(GetTree()->currentIndex()))
        UploadGroup(*pGroup);
}

CGroup *CEditGroupsDlg::UploadGroup(const CGroup &group)
{
    if (!m_pDoc)
        return nullptr;
    // Taken before anything changes: a save that fails puts these back, so
    // that what is held is what Users.ini holds.
    std::vector<std::unique_ptr<CGroup>> previous = CopyGroups(m_pDoc->GetGroups());
    const QByteArray name = group.GetName();
    CGroup *pShared = CGroupNames::Find(m_pDoc->GetGroups(), name);
    bool bCopyToTree = false;
    if (!pShared) {
        const int nAdded = m_pDoc->AddGroup(std::make_unique<CGroup>(group));
        pShared = m_pDoc->GetGroups().at(nAdded);
    } else {
        const QString csText =
            CStringTable::Load(IDS_GROUP_EXISTS).arg(FileSystem::DecodeName(name));
        switch (CAppMessageBox::Question(this, csText)) {
        case QMessageBox::Yes: {
            // The new name must be free among the shared groups and, in shared
            // mode, in this tree too, which will show the copy.
            const QByteArray copyName = CGroupNames::CopyName(name, [this](const QByteArray &n) {
                return CGroupNames::Find(m_pDoc->GetGroups(), n)
                       || (m_eMode == SharedGroups && m_pModel->IsGroupNameTaken(n));
            });
            if (const QString why = CGroupNames::Check(copyName, {}); !why.isEmpty()) {
                CAppMessageBox::Error(this, why);
                return nullptr;
            }
            auto pCopy = std::make_unique<CGroup>(group);
            pCopy->SetName(copyName);
            const int nAdded = m_pDoc->AddGroup(std::move(pCopy));
            pShared = m_pDoc->GetGroups().at(nAdded);
            bCopyToTree = m_eMode == SharedGroups;
            break;
        }
        case QMessageBox::No:
            *pShared = group;
            break;
        default:
            return nullptr;
        }
    }
    if (const ProfileResult result = m_pDoc->SaveGroups(); !result) {
        ReplaceSharedGroups(std::move(previous));
        Q_EMIT SharedGroupsChanged();
        CAppMessageBox::Error(this, result.message);
        return nullptr;
    }
    // OK puts this tree's groups in place of the shared ones: the copy must
    // be among them, or OK would take it away again.
    if (bCopyToTree)
        m_pModel->AddGroup(std::make_unique<CGroup>(*pShared));
    Q_EMIT SharedGroupChanged(pShared);
    Q_EMIT SharedGroupsChanged();
    return pShared;
}

bool CEditGroupsDlg::Commit()
{
    return m_eMode == SharedGroups ? CommitShared() : CommitUser();
}

void CEditGroupsDlg::accept()
{
    if (Commit())
        QDialog::accept();
}

bool CEditGroupsDlg::CommitShared()
{
    if (!m_pDoc)
        return true;
    if (m_pDoc->GetGroupsGeneration() != m_nGroupsGeneration) {
        // This tree was built from other groups than those held now (the
        // file's were read meanwhile): saving it would replace them unseen.
        CAppMessageBox::Error(
            this, tr("The shared groups were read again from %1 while this window was open, "
                     "so your changes were not saved: they would have replaced groups you "
                     "have not seen. Cancel, then open the editor again.")
                      .arg(m_pDoc->GetUsersIniPath()));
        return false;
    }
    std::vector<std::unique_ptr<CGroup>> previous = CopyGroups(m_pDoc->GetGroups());
    ReplaceSharedGroups(CopyGroups(m_pModel->GetGroups()));
    const ProfileResult result = m_pDoc->SaveGroups();
    if (!result) {
        // Users.ini still holds the old groups: so does the list, and the
        // edits stay here to be saved again or dropped.
        ReplaceSharedGroups(std::move(previous));
        CAppMessageBox::Error(this, result.message);
    }
    Q_EMIT SharedGroupsChanged();
    return bool(result);
}

void CEditGroupsDlg::ReplaceSharedGroups(std::vector<std::unique_ptr<CGroup>> groups)
{
    Q_EMIT SharedGroupsAboutToBeReplaced();
    m_pDoc->DeleteAllGroups();
    m_pDoc->AddGroups(std::move(groups));
    for (CGroup *pGroup : m_pDoc->GetGroups())
        Q_EMIT SharedGroupChanged(pGroup);
}

bool CEditGroupsDlg::CommitUser()
{
    if (!m_pUser)
        return true;
    std::vector<std::unique_ptr<CGroup>> previous = CopyGroups(m_pUser->GetGroups());
    m_pUser->DeleteAllGroups();
    m_pUser->AddGroups(CopyGroups(m_pModel->GetGroups()));
    const ProfileResult result = m_pUser->SaveGroups();
    if (!result) {
        m_pUser->DeleteAllGroups();
        m_pUser->AddGroups(std::move(previous));
        CAppMessageBox::Error(this, result.message);
    }
    return bool(result);
}

bool CEditGroupsDlg::IsTreeDrag(const QDropEvent *event) const
{
    return event->source() == GetTree() && GetTree()->IsDragging();
}

void CEditGroupsDlg::dragEnterEvent(QDragEnterEvent *event)
{
    if (!IsTreeDrag(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CEditGroupsDlg::dragMoveEvent(QDragMoveEvent *event)
{
    if (!IsTreeDrag(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CEditGroupsDlg::dropEvent(QDropEvent *event)
{
    if (!IsTreeDrag(event)) {
        event->ignore();
        return;
    }
    GetTree()->DropOutside();
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CEditGroupsDlg::OnCurrentChanged(const QModelIndex &current)
{
    m_pUi->uploadButton->setEnabled(m_pModel->IsGroup(current));
}

void CEditGroupsDlg::OnRenameRefused(const QString &csWhy)
{
    CAppMessageBox::Exclamation(this, csWhy);
}
