#include "groups/CGroupTreeModel.h"

#include "framework/CImageList.h"
#include "groups/CGroupNames.h"
#include "platform/FileSystem.h"
#include "store/CGroup.h"
#include "store/CUser.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include <algorithm>

const QString CGroupTreeModel::kMimeType = QStringLiteral("application/x-corvane-group-item");

// A static library's resources are only linked in when referenced; the
// macro may not stand inside a namespace.
static void InitGroupIcons()
{
    Q_INIT_RESOURCE(groupicons);
}

namespace {

QIcon ImageIcon(int nImage)
{
    static const QIcon group = [] {
        InitGroupIcons();
        return CImageList::LoadSvgIcon(QStringLiteral(":/groups/icons/group.svg"), {16});
    }();
    static const QIcon user = [] {
        InitGroupIcons();
        return CImageList::LoadSvgIcon(QStringLiteral(":/groups/icons/user.svg"), {16});
    }();
    return nImage == CGroupTreeModel::ImgGroup ? group : user;
}

std::unique_ptr<CGroup> CopyGroup(const CGroup &group)
{
    auto pCopy = std::make_unique<CGroup>(group.GetName());
    for (CUser *pMember : group)
        if (pMember)
            pCopy->append(pMember);
    for (const QByteArray &login : group.GetKeptLogins())
        pCopy->KeepLogin(login);
    return pCopy;
}

} // namespace

CGroupTreeModel::CGroupTreeModel(const QList<CUser *> &users, const QList<CGroup *> &groups,
                                 QObject *pParent)
    : QAbstractItemModel(pParent)
{
    m_names.reserve(users.size());
    for (CUser *pUser : users) {
        if (!pUser)
            continue;
        m_names.insert(pUser, FileSystem::DecodeName(pUser->GetLogin()));
        m_users.append(pUser);
    }
    std::stable_sort(m_users.begin(), m_users.end(),
                     [this](const CUser *a, const CUser *b) { return LessThan(a, b); });
    for (const CGroup *pGroup : groups) {
        if (!pGroup)
            continue;
        Node node{CopyGroup(*pGroup), {}};
        node.sorted = *node.pGroup;
        std::stable_sort(node.sorted.begin(), node.sorted.end(),
                         [this](const CUser *a, const CUser *b) { return LessThan(a, b); });
        m_nodes.push_back(std::move(node));
    }
}

CGroupTreeModel::~CGroupTreeModel() = default;

QModelIndex CGroupTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, nullptr);
    // A member carries its group, which keeps its identity while groups
    // above it come and go.
    return createIndex(row, column, m_nodes[size_t(NodeOfRow(parent.row()))].pGroup.get());
}

QModelIndex CGroupTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || !child.internalPointer())
        return {};
    const int nNode = NodeOf(static_cast<const CGroup *>(child.internalPointer()));
    if (nNode < 0)
        return {};
    return createIndex(GroupCount() - 1 - nNode, 0, nullptr);
}

int CGroupTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return GroupCount() + int(m_users.size());
    if (parent.column() != 0 || parent.internalPointer() || parent.row() >= GroupCount())
        return 0;
    return int(m_nodes[size_t(NodeOfRow(parent.row()))].sorted.size());
}

int CGroupTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant CGroupTreeModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const CGroup *pGroup = GetGroup(index);
    const CUser *pUser = pGroup ? nullptr : GetUser(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (pGroup)
            return FileSystem::DecodeName(pGroup->GetName());
        return pUser ? QVariant(DisplayName(pUser)) : QVariant();
    case Qt::ToolTipRole:
        return pUser ? QVariant(FileSystem::DecodeName(pUser->GetFullName())) : QVariant();
    case Qt::DecorationRole:
        return ImageIcon(pGroup ? ImgGroup : ImgUser);
    case ImageRole:
        return pGroup ? ImgGroup : ImgUser;
    default:
        return {};
    }
}

bool CGroupTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    CGroup *pGroup = GetGroup(index);
    if (!pGroup || role != Qt::EditRole)
        return false;
    QByteArray name;
    QString why = CGroupNames::FromText(value.toString(), name);
    if (why.isEmpty() && name == pGroup->GetName())
        return true;
    if (why.isEmpty())
        why = CheckGroupName(index, name);
    if (!why.isEmpty()) {
        Q_EMIT RenameRefused(why);
        return false;
    }
    pGroup->SetName(name);
    Q_EMIT dataChanged(index, index);
    return true;
}

Qt::ItemFlags CGroupTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (IsGroup(index))
        flags |= Qt::ItemIsEditable | Qt::ItemIsDropEnabled;
    return flags;
}

Qt::DropActions CGroupTreeModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions CGroupTreeModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

QStringList CGroupTreeModel::mimeTypes() const
{
    return {kMimeType};
}

QMimeData *CGroupTreeModel::mimeData(const QModelIndexList &indexes) const
{
    const auto it = std::find_if(indexes.cbegin(), indexes.cend(),
                                 [](const QModelIndex &index) { return index.isValid(); });
    if (it == indexes.cend())
        return nullptr;
    DragItem item;
    item.pUser = GetUser(*it);
    item.pGroup = item.pUser ? GetParentGroup(*it) : GetGroup(*it);
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    // Pointers are only good inside this model: the model's own address
    // lets another editor's tree refuse them.
    stream << quint64(quintptr(this)) << quint64(quintptr(item.pGroup))
           << quint64(quintptr(item.pUser));
    auto *pData = new QMimeData;
    pData->setData(kMimeType, bytes);
    return pData;
}

std::optional<CGroupTreeModel::DragItem> CGroupTreeModel::Decode(const QMimeData *data) const
{
    if (!data || !data->hasFormat(kMimeType))
        return std::nullopt;
    QDataStream stream(data->data(kMimeType));
    quint64 model = 0, group = 0, user = 0;
    stream >> model >> group >> user;
    if (stream.status() != QDataStream::Ok || model != quint64(quintptr(this)))
        return std::nullopt;
    DragItem item;
    item.pGroup = reinterpret_cast<CGroup *>(quintptr(group));
    item.pUser = reinterpret_cast<CUser *>(quintptr(user));
    // The group may have been deleted since the drag began.
    if (item.pGroup && NodeOf(item.pGroup) < 0)
        return std::nullopt;
    if (item.pUser && !m_names.contains(item.pUser)
        && !(item.pGroup && item.pGroup->contains(item.pUser)))
        return std::nullopt;
    if (!item.pGroup && !item.pUser)
        return std::nullopt;
    return item;
}

bool CGroupTreeModel::canDropMimeData(const QMimeData *data, Qt::DropAction, int, int,
                                      const QModelIndex &parent) const
{
    const CGroup *pTarget = GetGroup(parent);
    if (!pTarget)
        return false;
    const std::optional<DragItem> item = Decode(data);
    // A group let go over itself is a drag that went nowhere, not a request
    // to list every member twice.
    return item && (item->pUser || item->pGroup != pTarget);
}

bool CGroupTreeModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row,
                                   int column, const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    const DragItem item = *Decode(data);
    if (item.pUser)
        AddMember(parent, item.pUser);
    else
        AddMembers(parent, *item.pGroup);
    return true;
}

bool CGroupTreeModel::IsMember(const QModelIndex &index) const
{
    return index.isValid() && index.internalPointer() && GetUser(index);
}

bool CGroupTreeModel::IsRootUser(const QModelIndex &index) const
{
    return index.isValid() && !index.internalPointer() && GetUser(index);
}

CGroup *CGroupTreeModel::GetGroup(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.internalPointer()
        || index.row() >= GroupCount())
        return nullptr;
    return m_nodes[size_t(NodeOfRow(index.row()))].pGroup.get();
}

CUser *CGroupTreeModel::GetUser(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    if (!index.internalPointer()) {
        const int nUser = index.row() - GroupCount();
        return nUser >= 0 && nUser < m_users.size() ? m_users.at(nUser) : nullptr;
    }
    const Node *pNode = NodeOfIndex(index);
    return pNode && index.row() < pNode->sorted.size() ? pNode->sorted.at(index.row()) : nullptr;
}

CGroup *CGroupTreeModel::GetParentGroup(const QModelIndex &member) const
{
    if (!member.isValid() || member.model() != this || !member.internalPointer())
        return nullptr;
    const Node *pNode = NodeOfIndex(member);
    return pNode ? pNode->pGroup.get() : nullptr;
}

QModelIndex CGroupTreeModel::FindGroup(const CGroup *pGroup) const
{
    const int nNode = NodeOf(pGroup);
    return nNode < 0 ? QModelIndex() : index(GroupCount() - 1 - nNode, 0);
}

QModelIndex CGroupTreeModel::FindRootUser(const CUser *pUser) const
{
    const qsizetype nUser = m_users.indexOf(const_cast<CUser *>(pUser));
    return nUser < 0 ? QModelIndex() : index(GroupCount() + int(nUser), 0);
}

QModelIndex CGroupTreeModel::FindMember(const CGroup *pGroup, const CUser *pUser) const
{
    const int nNode = NodeOf(pGroup);
    if (nNode < 0)
        return {};
    const qsizetype nRow = m_nodes[size_t(nNode)].sorted.indexOf(const_cast<CUser *>(pUser));
    return nRow < 0 ? QModelIndex() : index(int(nRow), 0, FindGroup(pGroup));
}

QList<CGroup *> CGroupTreeModel::GetGroups() const
{
    QList<CGroup *> groups;
    groups.reserve(GroupCount());
    for (const Node &node : m_nodes)
        groups.append(node.pGroup.get());
    return groups;
}

std::vector<std::unique_ptr<CGroup>> CGroupTreeModel::TakeGroups()
{
    beginResetModel();
    std::vector<std::unique_ptr<CGroup>> groups;
    groups.reserve(m_nodes.size());
    for (Node &node : m_nodes)
        groups.push_back(std::move(node.pGroup));
    m_nodes.clear();
    endResetModel();
    return groups;
}

QModelIndex CGroupTreeModel::AddGroup(std::unique_ptr<CGroup> pGroup)
{
    if (!pGroup)
        return {};
    Node node{std::move(pGroup), {}};
    node.sorted = *node.pGroup;
    node.sorted.removeAll(nullptr);
    std::stable_sort(node.sorted.begin(), node.sorted.end(),
                     [this](const CUser *a, const CUser *b) { return LessThan(a, b); });
    beginInsertRows({}, 0, 0);
    m_nodes.push_back(std::move(node));
    endInsertRows();
    return index(0, 0);
}

void CGroupTreeModel::AddMember(const QModelIndex &groupIndex, CUser *pUser)
{
    CGroup *pGroup = GetGroup(groupIndex);
    if (!pGroup || !pUser)
        return;
    Node &node = m_nodes[size_t(NodeOf(pGroup))];
    const int nRow = SortedPosition(node.sorted, pUser);
    beginInsertRows(groupIndex, nRow, nRow);
    pGroup->append(pUser);
    node.sorted.insert(nRow, pUser);
    endInsertRows();
}

void CGroupTreeModel::AddMembers(const QModelIndex &groupIndex, const CGroup &from)
{
    // A copy: from may be the target itself, which grows while we go.
    const QList<CUser *> members = from;
    for (CUser *pMember : members)
        AddMember(groupIndex, pMember);
}

bool CGroupTreeModel::RemoveItem(const QModelIndex &index)
{
    if (CGroup *pGroup = GetGroup(index)) {
        const int nNode = NodeOf(pGroup);
        beginRemoveRows({}, index.row(), index.row());
        m_nodes.erase(m_nodes.begin() + nNode);
        endRemoveRows();
        return true;
    }
    if (!IsMember(index))
        return false;
    Node &node = m_nodes[size_t(NodeOf(GetParentGroup(index)))];
    CUser *pUser = node.sorted.at(index.row());
    beginRemoveRows(index.parent(), index.row(), index.row());
    // The group loses the last of the user's places; the items of one user
    // look alike, so the tree loses the one that was dragged.
    node.pGroup->RemoveMember(pUser);
    node.sorted.removeAt(index.row());
    endRemoveRows();
    return true;
}

QString CGroupTreeModel::CheckGroupName(const QModelIndex &groupIndex,
                                        const QByteArray &name) const
{
    const CGroup *pGroup = GetGroup(groupIndex);
    return CGroupNames::Check(name, [this, pGroup](const QByteArray &candidate) {
        return IsGroupNameTaken(candidate, pGroup);
    });
}

bool CGroupTreeModel::IsGroupNameTaken(const QByteArray &name, const CGroup *pExcept) const
{
    return CGroupNames::Find(GetGroups(), name, pExcept) != nullptr;
}

int CGroupTreeModel::NodeOf(const CGroup *pGroup) const
{
    if (!pGroup)
        return -1;
    for (int n = 0; n < GroupCount(); ++n)
        if (m_nodes[size_t(n)].pGroup.get() == pGroup)
            return n;
    return -1;
}

const CGroupTreeModel::Node *CGroupTreeModel::NodeOfIndex(const QModelIndex &index) const
{
    if (!index.isValid())
        return nullptr;
    if (!index.internalPointer())
        return index.row() < GroupCount() ? &m_nodes[size_t(NodeOfRow(index.row()))] : nullptr;
    const int nNode = NodeOf(static_cast<const CGroup *>(index.internalPointer()));
    return nNode < 0 ? nullptr : &m_nodes[size_t(nNode)];
}

bool CGroupTreeModel::LessThan(const CUser *a, const CUser *b) const
{
    const int nOrder = DisplayName(a).compare(DisplayName(b), Qt::CaseInsensitive);
    return nOrder != 0 ? nOrder < 0 : a->GetLogin() < b->GetLogin();
}

int CGroupTreeModel::SortedPosition(const QList<CUser *> &sorted, const CUser *pUser) const
{
    const auto it = std::upper_bound(sorted.cbegin(), sorted.cend(), pUser,
                                     [this](const CUser *a, const CUser *b) {
                                         return LessThan(a, b);
                                     });
    return int(it - sorted.cbegin());
}

QString CGroupTreeModel::DisplayName(const CUser *pUser) const
{
    const auto it = m_names.constFind(pUser);
    return it != m_names.cend() ? *it : FileSystem::DecodeName(pUser->GetLogin());
}
