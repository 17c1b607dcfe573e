#pragma once

#include "view/CRowFilter.h"

#include <QItemSelection>
#include <QObject>

class CUserListModel;
class QTreeView;

// Narrows a user list to the rows that match the filter text by hiding the
// others; the model and its row numbers stay as they are, so the commands,
// the marked row and the sort see every row. Rows that appear or change
// while a filter is set are matched as they come. A hidden row never stays
// selected, so a command never acts on a user the administrator cannot see.
class CViewFilter : public QObject
{
    Q_OBJECT

public:
    CViewFilter(QTreeView *pView, CUserListModel *pModel);

    void SetText(const QString &text);
    QString GetText() const { return m_filter.GetText(); }
    bool IsActive() const { return !m_filter.IsEmpty(); }
    const CRowFilter &GetRowFilter() const { return m_filter; }

    // User rows of the list, and of them those shown.
    int GetUserCount() const { return m_nUsers; }
    int GetShownUserCount() const { return m_nUsersShown; }
    // Every row shown, as whole-row ranges.
    QItemSelection ShownRows() const;

Q_SIGNALS:
    // The text or the number of users shown changed.
    void Changed();

private:
    // Matches rows nFirst to nLast again; bShownOnly skips hidden rows.
    void Apply(int nFirst, int nLast, bool bShownOnly);
    void SetHidden(const QList<int> &rows, bool bHide);
    void DeselectHidden();
    void Recount();
    void OnRowsInserted(int nFirst, int nLast);
    void OnRowsAboutToBeRemoved(int nFirst, int nLast);
    void OnDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                       const QList<int> &roles);
    bool IsUserRow(int nRow) const;

    QTreeView *m_pView;
    CUserListModel *m_pModel;
    CRowFilter m_filter;
    int m_nUsers = 0;
    int m_nUsersShown = 0;
};
