#include "view/CViewFilter.h"

#include "view/CUserListModel.h"

#include <QTreeView>

CViewFilter::CViewFilter(QTreeView *pView, CUserListModel *pModel)
    : QObject(pView), m_pView(pView), m_pModel(pModel)
{
    connect(pModel, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int nFirst, int nLast) { OnRowsInserted(nFirst, nLast); });
    connect(pModel, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int nFirst, int nLast) {
                OnRowsAboutToBeRemoved(nFirst, nLast);
            });
    connect(pModel, &QAbstractItemModel::dataChanged, this, &CViewFilter::OnDataChanged);
    // New columns bring new texts to match; a reset brings new rows.
    connect(pModel, &QAbstractItemModel::columnsInserted, this, [this] {
        if (IsActive())
            Apply(0, m_pModel->rowCount() - 1, false);
    });
    connect(pModel, &QAbstractItemModel::modelReset, this, [this] {
        if (IsActive())
            Apply(0, m_pModel->rowCount() - 1, false);
        else
            Recount();
    });
    Recount();
}

bool CViewFilter::IsUserRow(int nRow) const
{
    return m_pModel->GetRowObject(nRow).IsUser();
}

void CViewFilter::SetText(const QString &text)
{
    if (text == m_filter.GetText())
        return;
    // A keystroke that only adds to the text can hide rows but never
    // show one: the hidden rows need no look.
    const bool bShownOnly = IsActive() && CRowFilter::Narrows(m_filter.GetText(), text);
    m_filter.SetText(text);
    Apply(0, m_pModel->rowCount() - 1, bShownOnly);
    Q_EMIT Changed();
}

void CViewFilter::Apply(int nFirst, int nLast, bool bShownOnly)
{
    m_filter.Prepare(*m_pModel);
    QList<int> hide;
    QList<int> show;
    for (int nRow = nFirst; nRow <= nLast; ++nRow) {
        const bool bHidden = m_pView->isRowHidden(nRow, QModelIndex());
        if (bShownOnly && bHidden)
            continue;
        const bool bMatch = m_filter.Matches(*m_pModel, nRow);
        if (bMatch && bHidden)
            show.append(nRow);
        else if (!bMatch && !bHidden)
            hide.append(nRow);
    }
    SetHidden(show, false);
    SetHidden(hide, true);
    if (!hide.isEmpty())
        DeselectHidden();
    for (int nRow : std::as_const(show))
        m_nUsersShown += IsUserRow(nRow) ? 1 : 0;
    for (int nRow : std::as_const(hide))
        m_nUsersShown -= IsUserRow(nRow) ? 1 : 0;
}

void CViewFilter::SetHidden(const QList<int> &rows, bool bHide)
{
    for (int nRow : rows)
        m_pView->setRowHidden(nRow, QModelIndex(), bHide);
}

void CViewFilter::DeselectHidden()
{
    QItemSelectionModel *pSelection = m_pView->selectionModel();
    if (!pSelection || !pSelection->hasSelection())
        return;
    const int nLastColumn = m_pModel->columnCount() - 1;
    QItemSelection deselect;
    for (const QItemSelectionRange &range : pSelection->selection()) {
        int nStart = -1;
        for (int nRow = range.top(); nRow <= range.bottom() + 1; ++nRow) {
            const bool bHidden =
                nRow <= range.bottom() && m_pView->isRowHidden(nRow, QModelIndex());
            if (bHidden && nStart < 0) {
                nStart = nRow;
            } else if (!bHidden && nStart >= 0) {
                deselect.select(m_pModel->index(nStart, 0), m_pModel->index(nRow - 1, nLastColumn));
                nStart = -1;
            }
        }
    }
    if (!deselect.isEmpty())
        pSelection->select(deselect, QItemSelectionModel::Deselect);
}

void CViewFilter::Recount()
{
    m_nUsers = 0;
    m_nUsersShown = 0;
    const int nRows = m_pModel->rowCount();
    for (int nRow = 0; nRow < nRows; ++nRow) {
        if (!IsUserRow(nRow))
            continue;
        ++m_nUsers;
        if (!m_pView->isRowHidden(nRow, QModelIndex()))
            ++m_nUsersShown;
    }
}

void CViewFilter::OnRowsInserted(int nFirst, int nLast)
{
    m_filter.Prepare(*m_pModel);
    int nAdded = 0;
    int nShown = 0;
    for (int nRow = nFirst; nRow <= nLast; ++nRow) {
        const bool bUser = IsUserRow(nRow);
        const bool bMatch = m_filter.Matches(*m_pModel, nRow);
        if (!bMatch)
            m_pView->setRowHidden(nRow, QModelIndex(), true);
        if (bUser) {
            ++nAdded;
            nShown += bMatch ? 1 : 0;
        }
    }
    m_nUsers += nAdded;
    m_nUsersShown += nShown;
    if (nAdded)
        Q_EMIT Changed();
}

void CViewFilter::OnRowsAboutToBeRemoved(int nFirst, int nLast)
{
    int nRemoved = 0;
    int nShown = 0;
    for (int nRow = nFirst; nRow <= nLast; ++nRow) {
        if (!IsUserRow(nRow))
            continue;
        ++nRemoved;
        if (!m_pView->isRowHidden(nRow, QModelIndex()))
            ++nShown;
    }
    m_nUsers -= nRemoved;
    m_nUsersShown -= nShown;
    if (nRemoved)
        Q_EMIT Changed();
}

void CViewFilter::OnDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                const QList<int> &roles)
{
    if (!IsActive() || !topLeft.isValid())
        return;
    if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole))
        return;
    const int nShownBefore = m_nUsersShown;
    Apply(topLeft.row(), bottomRight.row(), false);
    if (m_nUsersShown != nShownBefore)
        Q_EMIT Changed();
}

QItemSelection CViewFilter::ShownRows() const
{
    QItemSelection selection;
    const int nRows = m_pModel->rowCount();
    const int nLastColumn = m_pModel->columnCount() - 1;
    if (nLastColumn < 0)
        return selection;
    int nStart = -1;
    for (int nRow = 0; nRow <= nRows; ++nRow) {
        const bool bShown = nRow < nRows && !m_pView->isRowHidden(nRow, QModelIndex());
        if (bShown && nStart < 0) {
            nStart = nRow;
        } else if (!bShown && nStart >= 0) {
            selection.select(m_pModel->index(nStart, 0), m_pModel->index(nRow - 1, nLastColumn));
            nStart = -1;
        }
    }
    return selection;
}
