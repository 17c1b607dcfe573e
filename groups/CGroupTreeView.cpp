#include "groups/CGroupTreeView.h"

#include "groups/CGroupTreeModel.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <memory>

namespace {

// A rename ends the same way however it ends: Escape, like Return or a click
// elsewhere, gives the group the text of the edit box. The model still
// refuses a name that cannot be used, and the old one stays.
class CGroupNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    bool eventFilter(QObject *pObject, QEvent *pEvent) override
    {
        auto *pEditor = qobject_cast<QWidget *>(pObject);
        if (pEditor && pEvent->type() == QEvent::KeyPress
            && static_cast<QKeyEvent *>(pEvent)->key() == Qt::Key_Escape) {
            Q_EMIT commitData(pEditor);
            Q_EMIT closeEditor(pEditor, QAbstractItemDelegate::NoHint);
            return true;
        }
        return QStyledItemDelegate::eventFilter(pObject, pEvent);
    }
};

// A dotted line of every other pixel, counted from the viewport's origin so
// that the lines of neighbouring rows join up.
void DottedLine(QPainter *pPainter, QPoint from, QPoint to)
{
    const bool bVertical = from.x() == to.x();
    for (QPoint p = from; bVertical ? p.y() <= to.y() : p.x() <= to.x();
         bVertical ? p.ry()++ : p.rx()++) {
        if ((p.x() + p.y()) % 2 == 0)
            pPainter->drawPoint(p);
    }
}

} // namespace

CGroupTreeView::CGroupTreeView(QWidget *pParent) : QTreeView(pParent)
{
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // The highlighted group says where a drop goes; a line between items
    // would promise an order that the tree does not keep.
    setDropIndicatorShown(false);
    setItemDelegate(new CGroupNameDelegate(this));

    m_scrollTimer.setInterval(kScrollIntervalMs);
    connect(&m_scrollTimer, &QTimer::timeout, this, [this] {
        if (!m_bDragging || !AutoScroll()) {
            m_scrollTimer.stop();
            return;
        }
        // Other items are under the pointer now.
        SetDropTarget(DropTargetAt(m_dragPos));
    });
}

void CGroupTreeView::setModel(QAbstractItemModel *pModel)
{
    EndDrag();
    QTreeView::setModel(pModel);
    m_pGroupModel = qobject_cast<CGroupTreeModel *>(pModel);
}

bool CGroupTreeView::BeginDrag(const QModelIndex &index)
{
    EndDrag();
    if (!m_pGroupModel || !index.isValid() || index.model() != m_pGroupModel
        || !(m_pGroupModel->flags(index) & Qt::ItemIsDragEnabled))
        return false;
    m_dragItem = index;
    m_bDragging = true;
    m_bDropTaken = false;
    return true;
}

bool CGroupTreeView::DragMoveTo(const QPoint &pos)
{
    if (!m_bDragging)
        return false;
    m_dragPos = pos;
    const bool bNearEdge = pos.y() < kScrollMargin || pos.y() > viewport()->height() - kScrollMargin;
    if (!bNearEdge) {
        m_scrollTimer.stop();
    } else if (!m_scrollTimer.isActive()) {
        // One row at once, then one per tick while the pointer stays there,
        // so the speed does not depend on how much the mouse shakes.
        AutoScroll();
        m_scrollTimer.start();
    }
    const QModelIndex target = DropTargetAt(pos);
    SetDropTarget(target);
    return target.isValid();
}

void CGroupTreeView::DragLeave()
{
    m_scrollTimer.stop();
    SetDropTarget({});
}

bool CGroupTreeView::DropAt(const QPoint &pos)
{
    if (!m_bDragging)
        return false;
    m_scrollTimer.stop();
    const QModelIndex target = DropTargetAt(pos);
    SetDropTarget({});
    if (!target.isValid())
        return false;
    const std::unique_ptr<QMimeData> pData(m_pGroupModel->mimeData({m_dragItem}));
    if (!m_pGroupModel->dropMimeData(pData.get(), Qt::CopyAction, -1, -1, target))
        return false;
    // Show the member that came in.
    expand(target);
    return true;
}

bool CGroupTreeView::DropOutside()
{
    if (!m_bDragging || !m_dragItem.isValid())
        return false;
    m_bDropTaken = true;
    m_scrollTimer.stop();
    SetDropTarget({});
    if (m_pGroupModel->IsRootUser(m_dragItem)) {
        QApplication::beep();
        Q_EMIT RemovalRefused();
        return false;
    }
    return m_pGroupModel->RemoveItem(m_dragItem);
}

bool CGroupTreeView::FinishDrag(const QPoint &globalPos, Qt::MouseButtons buttons)
{
    if (!m_bDragging || m_bDropTaken || (buttons & Qt::LeftButton)
        || rect().contains(mapFromGlobal(globalPos)))
        return false;
    return DropOutside();
}

void CGroupTreeView::EndDrag()
{
    m_bDragging = false;
    m_dragItem = QPersistentModelIndex();
    m_scrollTimer.stop();
    SetDropTarget({});
}

QPixmap CGroupTreeView::DragPixmap(const QModelIndex &index) const
{
    constexpr int kIcon = 16;
    constexpr int kGap = 4;
    const QString csText = index.data(Qt::DisplayRole).toString();
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const QFontMetrics metrics(font());
    const QSize size(kIcon + 2 * kGap + metrics.horizontalAdvance(csText),
                     qMax(kIcon, metrics.height()) + 2);
    const qreal dpr = devicePixelRatioF();
    QPixmap pixmap(size * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    // See-through, so that the item under it stays readable.
    painter.setOpacity(0.75);
    painter.fillRect(QRect(QPoint(), size), palette().color(QPalette::Base));
    icon.paint(&painter, QRect(0, (size.height() - kIcon) / 2, kIcon, kIcon));
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(kIcon + kGap, 0, size.width() - kIcon - kGap, size.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, csText);
    return pixmap;
}

void CGroupTreeView::startDrag(Qt::DropActions)
{
    // The base class would remove the dragged rows after a move; here a
    // drop decides itself what leaves the tree.
    const QModelIndex index = currentIndex();
    if (!BeginDrag(index))
        return;
    auto *pDrag = new QDrag(this);
    pDrag->setMimeData(m_pGroupModel->mimeData({index}));
    pDrag->setPixmap(DragPixmap(index));
    pDrag->setHotSpot(QPoint(8, 8));
    pDrag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    // Let go over the desktop or another window, no drop event reaches us.
    FinishDrag(QCursor::pos(), QGuiApplication::mouseButtons());
    EndDrag();
}

bool CGroupTreeView::IsOurDrag(const QDropEvent *event) const
{
    return m_bDragging && event->source() == this && event->mimeData()
           && event->mimeData()->hasFormat(CGroupTreeModel::kMimeType);
}

void CGroupTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!IsOurDrag(event)) {
        event->ignore();
        return;
    }
    // Always taken, also over an item that refuses a drop: a tree that
    // refused would pass the drag on to the dialog, where letting go
    // removes the item.
    DragMoveTo(event->position().toPoint());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CGroupTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    if (IsOurDrag(event) && DragMoveTo(event->position().toPoint())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CGroupTreeView::dragLeaveEvent(QDragLeaveEvent *event)
{
    DragLeave();
    event->accept();
}

void CGroupTreeView::dropEvent(QDropEvent *event)
{
    m_bDropTaken = m_bDropTaken || IsOurDrag(event);
    if (IsOurDrag(event) && DropAt(event->position().toPoint())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CGroupTreeView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QTreeView::drawRow(painter, option, index);
    if (!m_dropTarget.isValid() || index != QModelIndex(m_dropTarget))
        return;
    // Framed and tinted rather than drawn as selected: the dragged item
    // keeps the selection, and the two must not look alike.
    const QColor highlight = palette().color(QPalette::Highlight);
    QColor tint = highlight;
    tint.setAlpha(60);
    const QRect rect = option.rect.adjusted(0, 0, -1, -1);
    painter->save();
    painter->fillRect(rect, tint);
    painter->setPen(QPen(highlight, 1));
    painter->drawRect(rect);
    painter->restore();
}

void CGroupTreeView::drawBranches(QPainter *painter, const QRect &rect,
                                  const QModelIndex &index) const
{
    // Lines join each item to its parent and its siblings, also at the root;
    // the style then draws its expand buttons over them.
    const int nIndent = indentation();
    const QColor colour = palette().color(QPalette::Mid);
    painter->save();
    painter->setPen(colour);
    const int nMidY = rect.top() + rect.height() / 2;
    // Right to left: the item's own level, then its parent's.
    QModelIndex level = index;
    for (int nRight = rect.right(); level.isValid() && nRight > rect.left(); nRight -= nIndent) {
        const int nMidX = nRight - nIndent + 1 + nIndent / 2;
        const bool bHasNext = level.sibling(level.row() + 1, 0).isValid();
        if (level == index) {
            // Leave room for the expand button of an item with children.
            const int nGap = model()->hasChildren(index) ? 5 : 0;
            DottedLine(painter, {nMidX, rect.top()}, {nMidX, nMidY - nGap});
            DottedLine(painter, {nMidX + nGap, nMidY}, {nRight, nMidY});
            if (bHasNext)
                DottedLine(painter, {nMidX, nMidY + nGap}, {nMidX, rect.bottom()});
        } else if (bHasNext) {
            DottedLine(painter, {nMidX, rect.top()}, {nMidX, rect.bottom()});
        }
        level = level.parent();
    }
    painter->restore();
    QTreeView::drawBranches(painter, rect, index);
}

QModelIndex CGroupTreeView::DropTargetAt(const QPoint &pos) const
{
    if (!m_bDragging || !m_pGroupModel || !m_dragItem.isValid())
        return {};
    const QModelIndex index = indexAt(pos);
    if (!m_pGroupModel->IsGroup(index))
        return {};
    const std::unique_ptr<QMimeData> pData(m_pGroupModel->mimeData({m_dragItem}));
    return m_pGroupModel->canDropMimeData(pData.get(), Qt::CopyAction, -1, -1, index)
               ? index
               : QModelIndex();
}

void CGroupTreeView::SetDropTarget(const QModelIndex &index)
{
    if (QModelIndex(m_dropTarget) == index)
        return;
    m_dropTarget = index;
    viewport()->update();
}

bool CGroupTreeView::AutoScroll()
{
    int nStep = 0;
    if (m_dragPos.y() < kScrollMargin)
        nStep = -1;
    else if (m_dragPos.y() > viewport()->height() - kScrollMargin)
        nStep = 1;
    // The first item shown gives way to its previous or next sibling: a
    // group passes by whole with its members, and the scroll never steps
    // into or out of a group.
    const QModelIndex first = indexAt(QPoint(0, 0));
    const QModelIndex sibling = first.sibling(first.row() + nStep, 0);
    if (nStep == 0 || !sibling.isValid())
        return false;
    const int nBefore = verticalScrollBar()->value();
    scrollTo(sibling, QAbstractItemView::PositionAtTop);
    return verticalScrollBar()->value() != nBefore;
}
