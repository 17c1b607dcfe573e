#include "sheets/properties/CColumnOrder.h"

#include "view/CColumn.h"
#include "view/CColumnArray.h"

#include <algorithm>
#include <vector>

void CColumnOrder::Sort(QList<CColumn *> &rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CColumn *pA, const CColumn *pB) { return pA->IsBefore(*pB); });
}

int CColumnOrder::Toggle(QList<CColumn *> &rows, int nRow)
{
    if (nRow < 0 || nRow >= rows.size())
        return -1;
    CColumn *pColumn = rows[nRow];
    if (pColumn->IsVisible()) {
        const int nPosition = pColumn->GetPosition();
        for (CColumn *pOther : std::as_const(rows))
            if (pOther->GetPosition() > nPosition)
                pOther->SetPosition(pOther->GetPosition() - 1);
        pColumn->Hide();
    } else {
        int nPosition = 0;
        for (int nAbove = nRow - 1; nAbove >= 0; --nAbove) {
            if (rows[nAbove]->IsVisible()) {
                nPosition = rows[nAbove]->GetPosition() + 1;
                break;
            }
        }
        pColumn->SetPosition(nPosition);
        for (int nBelow = nRow + 1; nBelow < rows.size(); ++nBelow)
            if (rows[nBelow]->IsVisible())
                rows[nBelow]->SetPosition(rows[nBelow]->GetPosition() + 1);
    }
    Sort(rows);
    return int(rows.indexOf(pColumn));
}

int CColumnOrder::Move(QList<CColumn *> &rows, int nFrom, int nTo)
{
    if (nFrom < 0 || nFrom >= rows.size() || nTo < 0 || nTo >= rows.size())
        return -1;
    CColumn *pColumn = rows[nFrom];
    pColumn->SetPosition(nTo);
    if (nTo < nFrom) {
        for (int nRow = nTo; nRow < nFrom; ++nRow)
            if (rows[nRow]->IsVisible())
                rows[nRow]->SetPosition(rows[nRow]->GetPosition() + 1);
    } else {
        for (int nRow = nFrom + 1; nRow <= nTo; ++nRow)
            if (rows[nRow]->IsVisible())
                rows[nRow]->SetPosition(rows[nRow]->GetPosition() - 1);
    }
    rows.move(nFrom, nTo);
    Sort(rows);
    return int(rows.indexOf(pColumn));
}

void CColumnOrder::Apply(const QList<CColumn *> &rows, CColumnArray &layout)
{
    layout.RemoveAll();
    int nVisible = 0;
    std::vector<CColumn> copies;
    for (const CColumn *pColumn : rows) {
        CColumn copy(*pColumn);
        if (copy.IsVisible())
            copy.SetPosition(nVisible++);
        else
            copy.Hide();
        copies.push_back(copy);
    }
    // The layout puts a column before those of an equal position, so the
    // hidden ones go in from the last up to keep the list's order.
    for (auto it = copies.crbegin(); it != copies.crend(); ++it)
        layout.Add(*it);
}
