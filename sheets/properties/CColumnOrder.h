#pragma once

#include <QList>

class CColumn;
class CColumnArray;

// The Display page's rules for showing, hiding and moving columns, on the
// columns in the order of the page's list (row 0 first). The list is kept
// sorted by the absolute value of the positions; hidden columns get the
// hidden position and so go after the visible ones.
class CColumnOrder
{
public:
    // Sorts by the absolute value of the positions, keeping the order of
    // columns whose positions tie.
    static void Sort(QList<CColumn *> &rows);

    // Hides the visible column at nRow (the columns after it move one place
    // forward) or shows the hidden one right after the nearest visible
    // column above it (the visible columns below it move one place back),
    // then sorts. Returns the column's new row, -1 for no such row.
    static int Toggle(QList<CColumn *> &rows, int nRow);

    // Moves the column at nFrom to the place of the column at nTo, showing
    // it if it was hidden (also when it is dropped on its own row); the
    // visible columns in between make room. Then sorts. Returns the column's
    // new row, -1 for an invalid row.
    static int Move(QList<CColumn *> &rows, int nFrom, int nTo);

    // Replaces the columns of layout with copies of rows in their order:
    // the visible ones at the positions 0, 1, 2, ..., the hidden ones at the
    // hidden position.
    static void Apply(const QList<CColumn *> &rows, CColumnArray &layout);
};
