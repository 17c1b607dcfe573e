#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QTimer>
#include <QTreeView>

class CGroupTreeModel;

// The group editor's tree control. Dragging an item onto a group adds the
// user, or the group's members, to that group; the group under the pointer
// is highlighted, and the tree scrolls, one sibling of the topmost item at a
// time, while the pointer stays near its top or bottom edge. Letting an item
// go outside the tree (on the dialog around it, see CEditGroupsDlg, or
// anywhere else on the screen) takes a member out of its group or deletes a
// group; a user of the roster cannot be removed and only beeps.
//
// A drag is the sequence BeginDrag, DragMoveTo..., then DropAt or
// DropOutside, then EndDrag. Qt's drag events call exactly these, so a test
// can drive the same code without a pointer.
class CGroupTreeView : public QTreeView
{
    Q_OBJECT

public:
    // Pixels from the top or bottom edge within which a drag scrolls.
    static constexpr int kScrollMargin = 15;
    static constexpr int kScrollIntervalMs = 100;

    explicit CGroupTreeView(QWidget *pParent = nullptr);

    void setModel(QAbstractItemModel *pModel) override;
    CGroupTreeModel *GetGroupModel() const { return m_pGroupModel; }

    // Starts a drag of index; false, and no drag, for an item that cannot go.
    bool BeginDrag(const QModelIndex &index);
    bool IsDragging() const { return m_bDragging; }
    QModelIndex GetDragItem() const { return m_dragItem; }
    // The pointer is at pos (viewport coordinates) over the tree: scrolls
    // near an edge and highlights the group a drop would add to. True when
    // letting go here would change a group.
    bool DragMoveTo(const QPoint &pos);
    // The pointer left the tree: no item is highlighted.
    void DragLeave();
    QModelIndex GetDropTarget() const { return m_dropTarget; }
    // Lets go at pos over the tree; true when a group changed.
    bool DropAt(const QPoint &pos);
    // Lets go outside the tree; true when an item was removed. A user of the
    // roster stays, with a beep.
    bool DropOutside();
    // The drag ended where no window of the dialog took the drop (the
    // desktop, another window): at globalPos, with buttons still down. A
    // drop outside the tree counts as let go outside it; a drag that ended
    // with the button still down was cancelled. True when an item went.
    bool FinishDrag(const QPoint &globalPos, Qt::MouseButtons buttons);
    // Forgets the drag, however it ended.
    void EndDrag();

    // The picture that follows the pointer during a drag.
    QPixmap DragPixmap(const QModelIndex &index) const;

Q_SIGNALS:
    // A user of the roster was let go outside the tree and stays.
    void RemovalRefused();

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void drawBranches(QPainter *painter, const QRect &rect,
                      const QModelIndex &index) const override;

private:
    // The group that a drop at pos would change, or none.
    QModelIndex DropTargetAt(const QPoint &pos) const;
    void SetDropTarget(const QModelIndex &index);
    // Scrolls one sibling toward the edge that m_dragPos is near; false when
    // it is near neither or the tree cannot scroll further that way.
    bool AutoScroll();
    bool IsOurDrag(const QDropEvent *event) const;

    CGroupTreeModel *m_pGroupModel = nullptr;
    bool m_bDragging = false;
    bool m_bDropTaken = false; // a window of ours had the drop delivered
    QPersistentModelIndex m_dragItem;
    QPersistentModelIndex m_dropTarget;
    QPoint m_dragPos;
    QTimer m_scrollTimer;
};
