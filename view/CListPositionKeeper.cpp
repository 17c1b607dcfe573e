#include "view/CListPositionKeeper.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QScrollBar>

CListPositionKeeper::CListPositionKeeper(QAbstractItemView *pView)
    : m_pView(pView), m_nVertical(pView->verticalScrollBar()->value()),
      m_nHorizontal(pView->horizontalScrollBar()->value()),
      m_selectionBlocker(pView->selectionModel())
{
}

CListPositionKeeper::~CListPositionKeeper()
{
    m_selectionBlocker.unblock();
    if (!m_pView)
        return;
    // The scroll ranges follow the new columns only once the list has laid
    // itself out; before that the old positions would be cut short.
    m_pView->doItemsLayout();
    m_pView->verticalScrollBar()->setValue(m_nVertical);
    m_pView->horizontalScrollBar()->setValue(m_nHorizontal);
    // What the blocked signals would have repainted.
    m_pView->viewport()->update();
}
