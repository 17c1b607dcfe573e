#pragma once

#include <QPointer>
#include <QSignalBlocker>

class QAbstractItemView;

// Holds a list still while its columns are taken down and put up again:
// for as long as it lives, the list's selection changes are not told to
// those who follow it (the selection ends as it was, so nothing changed for
// them), and when it goes the list scrolls back to where it was, both ways.
class CListPositionKeeper
{
public:
    explicit CListPositionKeeper(QAbstractItemView *pView);
    ~CListPositionKeeper();

    CListPositionKeeper(const CListPositionKeeper &) = delete;
    CListPositionKeeper &operator=(const CListPositionKeeper &) = delete;

private:
    QPointer<QAbstractItemView> m_pView;
    int m_nVertical = 0;
    int m_nHorizontal = 0;
    QSignalBlocker m_selectionBlocker;
};
