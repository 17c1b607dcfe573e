#include "sheets/properties/CDisplayList.h"

#include <QHeaderView>
#include <QMouseEvent>

CDisplayList::CDisplayList(QWidget *pParent) : QTreeWidget(pParent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
}

void CDisplayList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        m_nPressedRow = index.isValid() ? index.row() : -1;
        m_pressedGlobal = event->globalPosition().toPoint();
    }
    QTreeWidget::mousePressEvent(event);
}

void CDisplayList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT DoubleClicked();
}

void CDisplayList::startDrag(Qt::DropActions)
{
    if (m_nPressedRow >= 0)
        Q_EMIT BeginDrag(m_nPressedRow, m_pressedGlobal);
}
