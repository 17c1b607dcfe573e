#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class CGroup;
class CUser;

// The group editor's tree: one root item per group (the newest on top), then
// one root item per user of the roster in login order; under each group its
// members in login order. The model owns the editor's copies of the groups
// until a caller takes them; the users are the roster's and are only shown.
//
// Items carry their object for drags: a dragged group or user is put into
// the mime data, and dropping it on a group adds the user, or the group's
// members, to that group.
class CGroupTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // Image numbers of the shared small image list.
    enum Image { ImgGroup = 5, ImgUser = 6 };
    enum Role { ImageRole = Qt::UserRole + 1 };
    static const QString kMimeType;

    // Copies every group of groups (name and members); the given groups are
    // not touched.
    CGroupTreeModel(const QList<CUser *> &users, const QList<CGroup *> &groups,
                    QObject *pParent = nullptr);
    ~CGroupTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

    // What an item shows. A member item is a user whose parent is a group.
    bool IsGroup(const QModelIndex &index) const { return GetGroup(index) != nullptr; }
    bool IsMember(const QModelIndex &index) const;
    bool IsRootUser(const QModelIndex &index) const;
    CGroup *GetGroup(const QModelIndex &index) const;
    CUser *GetUser(const QModelIndex &index) const;
    // The group a member item stands under.
    CGroup *GetParentGroup(const QModelIndex &member) const;

    QModelIndex FindGroup(const CGroup *pGroup) const;
    QModelIndex FindRootUser(const CUser *pUser) const;
    // The first member item of pGroup that shows pUser.
    QModelIndex FindMember(const CGroup *pGroup, const CUser *pUser) const;

    // The groups in the order they were loaded or created; the last one is
    // the topmost item.
    QList<CGroup *> GetGroups() const;
    // Hands the groups over and leaves the tree with users only.
    std::vector<std::unique_ptr<CGroup>> TakeGroups();

    // Appends a group and shows it on top; answers its item.
    QModelIndex AddGroup(std::unique_ptr<CGroup> pGroup);
    // Appends pUser to the group of groupIndex, even when it already is a
    // member, and shows it among the members.
    void AddMember(const QModelIndex &groupIndex, CUser *pUser);
    // Appends every member of from, in its order.
    void AddMembers(const QModelIndex &groupIndex, const CGroup &from);
    // Deletes a group, or takes a member out of its group. A user at the
    // root cannot be removed: false, and nothing changes.
    bool RemoveItem(const QModelIndex &index);

    // Why the group of groupIndex cannot be called name, or an empty text.
    QString CheckGroupName(const QModelIndex &groupIndex, const QByteArray &name) const;
    // Whether a group other than pExcept already has this name for the file.
    bool IsGroupNameTaken(const QByteArray &name, const CGroup *pExcept = nullptr) const;

Q_SIGNALS:
    // An edit of a group's name was refused; the old name stays.
    void RenameRefused(const QString &csWhy);

private:
    struct Node
    {
        std::unique_ptr<CGroup> pGroup;
        // The members in display order, kept in step with the group.
        QList<CUser *> sorted;
    };
    // The object a drag carries.
    struct DragItem
    {
        CGroup *pGroup = nullptr; // the dragged group, or the group of a member
        CUser *pUser = nullptr;   // the dragged user, none for a group
    };

    int GroupCount() const { return int(m_nodes.size()); }
    int NodeOfRow(int nRootRow) const { return GroupCount() - 1 - nRootRow; }
    int NodeOf(const CGroup *pGroup) const;
    const Node *NodeOfIndex(const QModelIndex &index) const;
    bool LessThan(const CUser *a, const CUser *b) const;
    int SortedPosition(const QList<CUser *> &sorted, const CUser *pUser) const;
    QString DisplayName(const CUser *pUser) const;
    std::optional<DragItem> Decode(const QMimeData *data) const;

    QList<CUser *> m_users; // in display order
    QHash<const CUser *, QString> m_names;
    std::vector<Node> m_nodes;
};
