#pragma once

#include "view/CRowObject.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <queue>
#include <utility>
#include <vector>

class CGroup;
class CUser;
struct CUserStatus;

// The rows of the user list: one per user and one per recipient group, in
// the list's own order (new users at the end, new groups at the top, until
// the next sort). Each row keeps the status it shows and, once the row has
// been asked for them, its texts, so that a refresh compares instead of
// redrawing: a row whose user reports the same status is not touched, and
// of a changed row only the cells whose text changed are announced. A first
// fill costs what the rows' statuses cost; texts are made for the rows that
// are shown (and sort keys for all rows when a sort asks).
//
// Users and groups belong to the document; a row only points at them.
class CUserListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Numbers of the small images.
    enum Image {
        ImgNeverLoggedOn = 0, // yellow plug
        ImgConnected,         // green plug
        ImgNotConnected,      // red plug
        ImgDeleted,           // white plug
        ImgUpgradePending,    // two green arrows in a circle
        ImgGroup,             // two heads
        ImgOneHead,           // not used by any row
        ImageCount
    };

    struct Column
    {
        int nField = 0;       // the user field it shows, CUser::Column
        QString csTitle;
        int nAlignment = 0;   // 0 left, 1 right, 2 centred
    };

    explicit CUserListModel(QObject *parent = nullptr);
    ~CUserListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Replaces the columns and makes every row's texts for them.
    void SetColumns(const QList<Column> &columns, qint64 now);
    const QList<Column> &GetColumns() const { return m_columns; }
    // The field shown by list column nColumn, or -1.
    int GetField(int nColumn) const;

    CRowObject GetRowObject(int nRow) const;
    // The row of object, or -1.
    int FindRow(const CRowObject &object) const;
    QByteArray GetCellText(int nRow, int nColumn) const;
    // The same without a copy (the row's texts are made and kept if it has
    // none yet); valid until the row changes.
    QByteArrayView GetCellView(int nRow, int nColumn) const;
    int GetRowImage(int nRow) const;
    int GetRowState(int nRow) const;
    void SetRowState(int nRow, int nState, int nMask);

    // The image of a user row: never logged on, connected or not; an
    // upgrade pending before that, deleted before everything.
    static int ChooseImage(const CUser &user, const CUserStatus &status, bool bUpgradePending);

    // Brings the user's row up to date, or appends one for a user without.
    // Without bForce a row whose user reports the same status is left as
    // it is. Returns the row.
    int UpdateUser(CUser *pUser, bool bForce, qint64 now);
    // The same for an existing row only; -1 when the user has none.
    int RefreshUser(CUser *pUser, bool bForce, qint64 now);
    // Compares every user row with its user's status now.
    void RefreshAllUsers(bool bForce, qint64 now);
    // Appends one row per user, in order, in one insertion.
    void AppendUsers(const QList<CUser *> &users, qint64 now);

    // Brings the group's row up to date, or inserts one at the top.
    int UpdateGroup(CGroup *pGroup);
    // Inserts rows for groups that have none: each new one at the top, so
    // the last of them ends up first, as one insertion.
    void InsertGroups(const QList<CGroup *> &groups);
    // Removes the rows of groups that are not among groups. Objects are
    // compared as pointers only: a group that is gone is never touched.
    void RemoveGroupRowsExcept(const QList<CGroup *> &groups);
    void RemoveGroupRows();
    bool RemoveRow(const CRowObject &object);

    // Users whose last status read failed and that have a row.
    const QSet<CUser *> &GetUsersWithFailedStatus() const { return m_failedUsers; }
    // Users whose "Connected" text may have run out by now.
    QList<CUser *> TakeExpiredConnections(qint64 now);

    // The list's order for list column nColumn: groups first, by name;
    // texts ascending without regard to case; times newest first; the
    // operating system by number, highest first; -1, 0 or 1.
    int CompareRows(int nRowA, int nRowB, int nColumn) const;
    // Sorts by list column nColumn in that order, or with bReversed the
    // users the other way round (groups stay first, by name). Rows that
    // compare equal keep their order, so sorting twice gives the same order.
    void Sort(int nColumn, bool bReversed = false);

private:
    // One row; defined with the model's code.
    struct Row;
    using Expiry = std::pair<qint64, CUser *>;

    std::unique_ptr<Row> MakeUserRow(CUser *pUser, qint64 now);
    std::unique_ptr<Row> MakeGroupRow(CGroup *pGroup) const;
    void TakeUserStatus(Row &row, qint64 now);
    QByteArray UserText(const Row &row, const CUserStatus &status, int nColumn, qint64 now) const;
    // Makes and keeps a user row's texts when it has none yet.
    void MakeTexts(const Row &row) const;
    // A cell's text, kept or made for the moment.
    QByteArray CellText(const Row &row, int nColumn) const;
    // Updates row nRow from its user; returns whether anything changed.
    bool RefreshRow(int nRow, bool bForce, qint64 now);
    void NoteUserState(const Row &row);
    void AnnounceChanges(int nRow, quint32 changedColumns);
    void RemoveRows(QList<int> rows);
    void ApplyOrder(const std::vector<int> &order);
    // Reverses order from nFirst on, keeping rows that compare equal on
    // nColumn in the order they have.
    void ReverseKeepingTies(std::vector<int> &order, size_t nFirst, int nColumn) const;
    void EnsureRowIndex() const;
    void RebuildExpiries();
    int ConnectedColumn() const;

    // Rows are held by pointer so that a sort moves pointers, not rows.
    std::vector<std::unique_ptr<Row>> m_rows;
    QList<Column> m_columns;
    mutable QHash<const void *, int> m_rowOf;
    mutable bool m_bRowOfValid = true;
    QSet<CGroup *> m_groupRows;
    QSet<CUser *> m_failedUsers;
    std::priority_queue<Expiry, std::vector<Expiry>, std::greater<Expiry>> m_expiries;
};
