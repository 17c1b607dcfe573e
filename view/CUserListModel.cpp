#include "view/CUserListModel.h"

#include "platform/CodePage.h"
#include "store/CGroup.h"
#include "store/CUser.h"
#include "store/CUserStatus.h"
#include "view/CCellTexts.h"
#include "view/CListViewEx.h"
#include "view/CSortKey.h"

#include <algorithm>
#include <array>

namespace {

// Changed cells of a row are collected as bits of one 32-bit word.
constexpr int kMaxColumns = 32;

// Whether two statuses show the same: every field the list shows from.
bool SameStatus(const CUserStatus &a, const CUserStatus &b)
{
    return a.logonTime == b.logonTime && a.logoffTime == b.logoffTime
           && a.lastInstallTime == b.lastInstallTime && a.version == b.version
           && a.build == b.build && a.oldVersion == b.oldVersion && a.oldBuild == b.oldBuild
           && a.os == b.os && a.level == b.level && a.language == b.language
           && a.readFailed == b.readFailed;
}

Qt::Alignment AlignmentOf(int nAlignment)
{
    switch (nAlignment) {
    case 1: return Qt::AlignRight | Qt::AlignVCenter;
    case 2: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// Whether "Connected" says Yes or No rather than "-": the answer runs out
// once the logon is too old.
bool ShowsConnection(const CUserStatus &status, qint64 now)
{
    return status.logonTime != 0 && now - status.logonTime <= CUser::kConnectedWindow;
}

// "-", "Yes" or "No" as 0, 1, 2.
int ConnectionAnswer(const CUserStatus &status, qint64 now)
{
    if (!ShowsConnection(status, now))
        return 0;
    return status.logonTime > status.logoffTime ? 1 : 2;
}

// Whether a user field's text may differ between two statuses: the fields
// each column is made from, compared without making the texts.
bool FieldMayDiffer(int nField, const CUserStatus &a, qint64 nowA, const CUserStatus &b,
                    qint64 nowB)
{
    switch (nField) {
    case CUser::ColLogon: return a.logonTime != b.logonTime;
    case CUser::ColLogoff: return a.logoffTime != b.logoffTime;
    case CUser::ColConnected: return ConnectionAnswer(a, nowA) != ConnectionAnswer(b, nowB);
    case CUser::ColVersion: return a.version != b.version || a.build != b.build;
    case CUser::ColOldVersion: return a.oldVersion != b.oldVersion || a.oldBuild != b.oldBuild;
    case CUser::ColLevel: return a.level != b.level;
    case CUser::ColOS: return a.os != b.os;
    case CUser::ColLanguage: return a.language != b.language;
    case CUser::ColLastInstall: return a.lastInstallTime != b.lastInstallTime;
    default: return false; // login and full name do not change
    }
}

} // namespace

struct CUserListModel::Row
{
    CRowObject object;
    // Users: the status the texts are made from.
    std::shared_ptr<const CUserStatus> pStatus;
    // A user row's texts are made when first asked for (most rows of a long
    // list are never shown) and kept until the status or the columns change.
    mutable CCellTexts texts;
    mutable bool bTexts = false;
    // The time the texts are made for ("Connected" runs out with time).
    qint64 nNow = 0;
    QByteArray groupName;
    int nImage = 0;
    int nState = 0;
    bool bUpgradePending = false;

    // A group row shows its name in the first cell and nothing else.
    void SetGroupTexts(qsizetype nColumns)
    {
        std::array<QByteArray, kMaxColumns> texts;
        if (nColumns > 0)
            texts[0] = groupName;
        this->texts.Assign(texts.data(), nColumns);
        bTexts = true;
    }
};

CUserListModel::CUserListModel(QObject *parent) : QAbstractTableModel(parent)
{
}

CUserListModel::~CUserListModel() = default;

int CUserListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CUserListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant CUserListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= int(m_rows.size())
        || index.column() >= m_columns.size())
        return {};
    const Row &row = *m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: {
        MakeTexts(row);
        return CodePage::Decode(row.texts.At(index.column()));
    }
    case Qt::TextAlignmentRole:
        return int(AlignmentOf(m_columns[index.column()].nAlignment));
    case CListViewEx::ImageRole:
        return row.nImage;
    case CListViewEx::StateRole:
        return row.nState;
    default:
        return {};
    }
}

QVariant CUserListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].csTitle;
    if (role == Qt::TextAlignmentRole)
        return int(AlignmentOf(m_columns[section].nAlignment));
    return {};
}

void CUserListModel::SetColumns(const QList<Column> &columns, qint64 now)
{
    if (!m_columns.isEmpty()) {
        beginRemoveColumns(QModelIndex(), 0, int(m_columns.size()) - 1);
        m_columns.clear();
        for (const std::unique_ptr<Row> &pRow : m_rows) {
            pRow->texts.Clear();
            pRow->bTexts = false;
        }
        endRemoveColumns();
    }
    if (!columns.isEmpty()) {
        beginInsertColumns(QModelIndex(), 0, int(qMin<qsizetype>(columns.size(), kMaxColumns)) - 1);
        m_columns = columns.first(qMin<qsizetype>(columns.size(), kMaxColumns));
        for (const std::unique_ptr<Row> &pRow : m_rows) {
            Row &row = *pRow;
            if (row.object.IsUser()) {
                TakeUserStatus(row, now);
                NoteUserState(row);
            } else {
                row.SetGroupTexts(m_columns.size());
            }
        }
        endInsertColumns();
    }
    RebuildExpiries();
}

int CUserListModel::GetField(int nColumn) const
{
    return nColumn >= 0 && nColumn < m_columns.size() ? m_columns[nColumn].nField : -1;
}

CRowObject CUserListModel::GetRowObject(int nRow) const
{
    return nRow >= 0 && nRow < int(m_rows.size()) ? m_rows[size_t(nRow)]->object : CRowObject();
}

int CUserListModel::FindRow(const CRowObject &object) const
{
    if (object.IsNull())
        return -1;
    EnsureRowIndex();
    return m_rowOf.value(object.GetKey(), -1);
}

QByteArray CUserListModel::GetCellText(int nRow, int nColumn) const
{
    if (nRow < 0 || nRow >= int(m_rows.size()))
        return {};
    const Row &row = *m_rows[size_t(nRow)];
    MakeTexts(row);
    return row.texts.At(nColumn).toByteArray();
}

QByteArrayView CUserListModel::GetCellView(int nRow, int nColumn) const
{
    if (nRow < 0 || nRow >= int(m_rows.size()))
        return {};
    // A row never shown has no texts yet: the filter reads every row.
    const Row &row = *m_rows[size_t(nRow)];
    MakeTexts(row);
    return row.texts.At(nColumn);
}

int CUserListModel::GetRowImage(int nRow) const
{
    return nRow >= 0 && nRow < int(m_rows.size()) ? m_rows[size_t(nRow)]->nImage : -1;
}

int CUserListModel::GetRowState(int nRow) const
{
    return nRow >= 0 && nRow < int(m_rows.size()) ? m_rows[size_t(nRow)]->nState : 0;
}

void CUserListModel::SetRowState(int nRow, int nState, int nMask)
{
    if (nRow < 0 || nRow >= int(m_rows.size()))
        return;
    Row &row = *m_rows[size_t(nRow)];
    const int nNew = (row.nState & ~nMask) | (nState & nMask);
    if (nNew == row.nState)
        return;
    row.nState = nNew;
    if (!m_columns.isEmpty())
        Q_EMIT dataChanged(index(nRow, 0), index(nRow, 0), {CListViewEx::StateRole});
}

int CUserListModel::ChooseImage(const CUser &user, const CUserStatus &status,
                                bool bUpgradePending)
{
    if (user.IsDeleted())
        return ImgDeleted;
    if (bUpgradePending)
        return ImgUpgradePending;
    if (status.logonTime == 0)
        return ImgNeverLoggedOn;
    return status.logonTime > status.logoffTime ? ImgConnected : ImgNotConnected;
}

void CUserListModel::TakeUserStatus(Row &row, qint64 now)
{
    CUser *pUser = row.object.GetUser();
    // The texts are made from this status, not from whatever the reader
    // publishes meanwhile: the next refresh sees a newer one differ.
    row.pStatus = pUser->GetStatus();
    row.bUpgradePending = pUser->IsUpgradePending();
    row.nImage = ChooseImage(*pUser, *row.pStatus, row.bUpgradePending);
    row.texts.Clear();
    row.bTexts = false;
    row.nNow = now;
}

QByteArray CUserListModel::UserText(const Row &row, const CUserStatus &status, int nColumn,
                                    qint64 now) const
{
    return row.object.GetUser()->GetColumnText(m_columns[nColumn].nField, status, now);
}

void CUserListModel::MakeTexts(const Row &row) const
{
    if (row.bTexts || !row.object.IsUser())
        return;
    std::array<QByteArray, kMaxColumns> texts;
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        texts[size_t(c)] = UserText(row, *row.pStatus, int(c), row.nNow);
    row.texts.Assign(texts.data(), m_columns.size());
    row.bTexts = true;
}

QByteArray CUserListModel::CellText(const Row &row, int nColumn) const
{
    if (row.bTexts)
        return row.texts.At(nColumn).toByteArray();
    return UserText(row, *row.pStatus, nColumn, row.nNow);
}

std::unique_ptr<CUserListModel::Row> CUserListModel::MakeUserRow(CUser *pUser, qint64 now)
{
    auto pRow = std::make_unique<Row>();
    pRow->object = CRowObject::User(pUser);
    TakeUserStatus(*pRow, now);
    return pRow;
}

std::unique_ptr<CUserListModel::Row> CUserListModel::MakeGroupRow(CGroup *pGroup) const
{
    auto pRow = std::make_unique<Row>();
    pRow->object = CRowObject::Group(pGroup);
    pRow->groupName = pGroup->GetName();
    pRow->nImage = ImgGroup;
    pRow->SetGroupTexts(m_columns.size());
    return pRow;
}

bool CUserListModel::RefreshRow(int nRow, bool bForce, qint64 now)
{
    Row &row = *m_rows[size_t(nRow)];
    CUser *pUser = row.object.GetUser();
    if (!pUser)
        return false;
    std::shared_ptr<const CUserStatus> pStatus = pUser->GetStatus();
    const bool bPending = pUser->IsUpgradePending();
    if (!bForce && bPending == row.bUpgradePending
        && (pStatus == row.pStatus || SameStatus(*pStatus, *row.pStatus))) {
        row.pStatus = std::move(pStatus);
        return false;
    }
    quint32 changed = 0;
    const int nImage = ChooseImage(*pUser, *pStatus, bPending);
    if (nImage != row.nImage) {
        row.nImage = nImage;
        changed |= 1u;
    }
    quint32 changedTexts = 0;
    if (row.bTexts) {
        std::array<QByteArray, kMaxColumns> texts;
        for (qsizetype c = 0; c < m_columns.size(); ++c) {
            texts[size_t(c)] = UserText(row, *pStatus, int(c), now);
            if (texts[size_t(c)] != row.texts.At(c))
                changedTexts |= 1u << c;
        }
        if (changedTexts)
            row.texts.Assign(texts.data(), m_columns.size());
    } else {
        // A row never shown has no texts to compare, and needs none made:
        // its cells whose fields changed are announced.
        for (qsizetype c = 0; c < m_columns.size(); ++c)
            if (FieldMayDiffer(m_columns[c].nField, *row.pStatus, row.nNow, *pStatus, now))
                changedTexts |= 1u << c;
    }
    row.pStatus = std::move(pStatus);
    row.nNow = now;
    row.bUpgradePending = bPending;
    changed |= changedTexts;
    NoteUserState(row);
    AnnounceChanges(nRow, changed);
    return changed != 0;
}

void CUserListModel::NoteUserState(const Row &row)
{
    CUser *pUser = row.object.GetUser();
    if (row.pStatus->readFailed)
        m_failedUsers.insert(pUser);
    else
        m_failedUsers.remove(pUser);
    const int nConnected = ConnectedColumn();
    if (nConnected >= 0 && ShowsConnection(*row.pStatus, row.nNow))
        m_expiries.emplace(row.pStatus->logonTime + CUser::kConnectedWindow + 1, pUser);
    // Superseded entries pile up as statuses change; start afresh now and
    // then rather than let them grow without bound.
    if (m_expiries.size() > 2 * m_rows.size() + 1024)
        RebuildExpiries();
}

void CUserListModel::AnnounceChanges(int nRow, quint32 changedColumns)
{
    int nColumn = 0;
    while (changedColumns) {
        while (!(changedColumns & 1u)) {
            changedColumns >>= 1;
            ++nColumn;
        }
        const int nFirst = nColumn;
        while (changedColumns & 1u) {
            changedColumns >>= 1;
            ++nColumn;
        }
        Q_EMIT dataChanged(index(nRow, nFirst), index(nRow, nColumn - 1));
    }
}

int CUserListModel::UpdateUser(CUser *pUser, bool bForce, qint64 now)
{
    if (!pUser)
        return -1;
    const int nRow = RefreshUser(pUser, bForce, now);
    if (nRow >= 0)
        return nRow;
    AppendUsers({pUser}, now);
    return int(m_rows.size()) - 1;
}

int CUserListModel::RefreshUser(CUser *pUser, bool bForce, qint64 now)
{
    const int nRow = FindRow(CRowObject::User(pUser));
    if (nRow >= 0)
        RefreshRow(nRow, bForce, now);
    return nRow;
}

void CUserListModel::RefreshAllUsers(bool bForce, qint64 now)
{
    for (int nRow = 0; nRow < int(m_rows.size()); ++nRow)
        if (m_rows[size_t(nRow)]->object.IsUser())
            RefreshRow(nRow, bForce, now);
}

void CUserListModel::AppendUsers(const QList<CUser *> &users, qint64 now)
{
    std::vector<std::unique_ptr<Row>> rows;
    rows.reserve(size_t(users.size()));
    for (CUser *pUser : users)
        if (pUser && FindRow(CRowObject::User(pUser)) < 0)
            rows.push_back(MakeUserRow(pUser, now));
    if (rows.empty())
        return;
    const int nFirst = int(m_rows.size());
    beginInsertRows(QModelIndex(), nFirst, nFirst + int(rows.size()) - 1);
    m_rows.reserve(m_rows.size() + rows.size());
    for (std::unique_ptr<Row> &pRow : rows) {
        if (m_bRowOfValid)
            m_rowOf.insert(pRow->object.GetKey(), int(m_rows.size()));
        m_rows.push_back(std::move(pRow));
        NoteUserState(*m_rows.back());
    }
    endInsertRows();
}

int CUserListModel::UpdateGroup(CGroup *pGroup)
{
    if (!pGroup)
        return -1;
    const int nRow = FindRow(CRowObject::Group(pGroup));
    if (nRow < 0) {
        InsertGroups({pGroup});
        return 0;
    }
    Row &row = *m_rows[size_t(nRow)];
    quint32 changed = 0;
    if (row.nImage != ImgGroup) {
        row.nImage = ImgGroup;
        changed |= 1u;
    }
    // The group editor may have renamed it.
    const QByteArray name = pGroup->GetName();
    if (name != row.groupName) {
        row.groupName = name;
        row.SetGroupTexts(m_columns.size());
        changed |= 1u;
    }
    AnnounceChanges(nRow, changed);
    return nRow;
}

void CUserListModel::InsertGroups(const QList<CGroup *> &groups)
{
    std::vector<std::unique_ptr<Row>> rows;
    QSet<CGroup *> added;
    for (CGroup *pGroup : groups)
        if (pGroup && !added.contains(pGroup) && FindRow(CRowObject::Group(pGroup)) < 0) {
            added.insert(pGroup);
            rows.push_back(MakeGroupRow(pGroup));
        }
    if (rows.empty())
        return;
    // Each new group goes to the top, so the last one ends up first.
    std::reverse(rows.begin(), rows.end());
    beginInsertRows(QModelIndex(), 0, int(rows.size()) - 1);
    m_rows.insert(m_rows.begin(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    m_groupRows.unite(added);
    m_bRowOfValid = false;
    endInsertRows();
}

void CUserListModel::RemoveGroupRowsExcept(const QList<CGroup *> &groups)
{
    const QSet<CGroup *> keep(groups.cbegin(), groups.cend());
    QList<int> rows;
    for (CGroup *pGroup : std::as_const(m_groupRows))
        if (!keep.contains(pGroup))
            rows.append(FindRow(CRowObject::Group(pGroup)));
    RemoveRows(rows);
}

void CUserListModel::RemoveGroupRows()
{
    RemoveGroupRowsExcept({});
}

bool CUserListModel::RemoveRow(const CRowObject &object)
{
    const int nRow = FindRow(object);
    if (nRow < 0)
        return false;
    RemoveRows({nRow});
    return true;
}

void CUserListModel::RemoveRows(QList<int> rows)
{
    rows.removeAll(-1);
    if (rows.isEmpty())
        return;
    // From the last row to the first, one removal per run of neighbours.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    qsizetype i = 0;
    while (i < rows.size()) {
        const int nLast = rows[i];
        int nFirst = nLast;
        while (i + 1 < rows.size() && rows[i + 1] == nFirst - 1)
            nFirst = rows[++i];
        ++i;
        beginRemoveRows(QModelIndex(), nFirst, nLast);
        for (int nRow = nFirst; nRow <= nLast; ++nRow) {
            const CRowObject &object = m_rows[size_t(nRow)]->object;
            m_groupRows.remove(object.GetGroup());
            m_failedUsers.remove(object.GetUser());
        }
        m_rows.erase(m_rows.begin() + nFirst, m_rows.begin() + nLast + 1);
        m_bRowOfValid = false;
        endRemoveRows();
    }
}

void CUserListModel::EnsureRowIndex() const
{
    if (m_bRowOfValid)
        return;
    m_rowOf.clear();
    m_rowOf.reserve(qsizetype(m_rows.size()));
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rowOf.insert(m_rows[i]->object.GetKey(), int(i));
    m_bRowOfValid = true;
}

int CUserListModel::ConnectedColumn() const
{
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].nField == CUser::ColConnected)
            return int(c);
    return -1;
}

void CUserListModel::RebuildExpiries()
{
    m_expiries = {};
    const int nConnected = ConnectedColumn();
    if (nConnected < 0)
        return;
    for (const std::unique_ptr<Row> &pRow : m_rows)
        if (const Row &row = *pRow; row.object.IsUser() && ShowsConnection(*row.pStatus, row.nNow))
            m_expiries.emplace(row.pStatus->logonTime + CUser::kConnectedWindow + 1,
                               row.object.GetUser());
}

QList<CUser *> CUserListModel::TakeExpiredConnections(qint64 now)
{
    QList<CUser *> users;
    QSet<CUser *> seen;
    while (!m_expiries.empty() && m_expiries.top().first <= now) {
        CUser *pUser = m_expiries.top().second;
        m_expiries.pop();
        if (!seen.contains(pUser)) {
            seen.insert(pUser);
            users.append(pUser);
        }
    }
    return users;
}

int CUserListModel::CompareRows(int nRowA, int nRowB, int nColumn) const
{
    if (nRowA < 0 || nRowB < 0 || nRowA >= int(m_rows.size()) || nRowB >= int(m_rows.size()))
        return 0;
    const Row &a = *m_rows[size_t(nRowA)];
    const Row &b = *m_rows[size_t(nRowB)];
    if (a.object.IsGroup() && b.object.IsGroup())
        return CSortKey::CompareTexts(a.groupName, b.groupName);
    if (a.object.IsGroup())
        return -1;
    if (b.object.IsGroup())
        return 1;
    const int nField = GetField(nColumn);
    switch (CSortKey::KindOf(nField)) {
    case CSortKey::Kind::Text:
        return CSortKey::CompareTexts(CellText(a, nColumn), CellText(b, nColumn));
    case CSortKey::Kind::Time:
    case CSortKey::Kind::Number: {
        const qint64 ka = CSortKey::NumberKey(*a.pStatus, nField);
        const qint64 kb = CSortKey::NumberKey(*b.pStatus, nField);
        return ka > kb ? -1 : (ka < kb ? 1 : 0);
    }
    case CSortKey::Kind::None:
        break;
    }
    return 0;
}

void CUserListModel::Sort(int nColumn, bool bReversed)
{
    // Groups come first whatever the column, so they and the users are
    // ordered apart. Keys are made once per row; the comparisons only
    // compare them. Ties keep the current order (the row number breaks them).
    std::vector<int> order;
    order.reserve(m_rows.size());
    {
        std::vector<std::pair<QByteArray, int>> keys;
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (m_rows[i]->object.IsGroup())
                keys.emplace_back(CSortKey::TextKey(m_rows[i]->groupName), int(i));
        std::sort(keys.begin(), keys.end());
        for (const auto &key : keys)
            order.push_back(key.second);
    }
    const size_t nGroups = order.size();
    const int nField = GetField(nColumn);
    const CSortKey::Kind kind = CSortKey::KindOf(nField);
    if (kind == CSortKey::Kind::Text) {
        // Every row's key, shown or not; a key may refer to its cell text,
        // so the texts are held until the sort is done.
        std::vector<QByteArray> cells;
        std::vector<QByteArray> texts;
        std::vector<CSortKey::Packed> keys;
        cells.reserve(m_rows.size() - order.size());
        texts.reserve(m_rows.size() - order.size());
        keys.reserve(m_rows.size() - order.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (m_rows[i]->object.IsUser()) {
                cells.push_back(CellText(*m_rows[i], nColumn));
                texts.push_back(CSortKey::TextKey(cells.back()));
                keys.push_back(CSortKey::Packed::Make(texts.back(), int(i)));
            }
        std::sort(keys.begin(), keys.end());
        for (const CSortKey::Packed &key : keys)
            order.push_back(key.nRow);
    } else {
        std::vector<std::pair<qint64, int>> keys;
        keys.reserve(m_rows.size() - order.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (m_rows[i]->object.IsUser())
                keys.emplace_back(kind == CSortKey::Kind::None
                                      ? 0
                                      : -CSortKey::NumberKey(*m_rows[i]->pStatus, nField),
                                  int(i));
        // Negated keys: the largest time or number comes first.
        std::sort(keys.begin(), keys.end());
        for (const auto &key : keys)
            order.push_back(key.second);
    }

    if (bReversed)
        ReverseKeepingTies(order, nGroups, nColumn);

    bool bIdentity = true;
    for (size_t i = 0; i < order.size() && bIdentity; ++i)
        bIdentity = order[i] == int(i);
    if (bIdentity)
        return;

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    ApplyOrder(order);
    m_bRowOfValid = false;
    const QModelIndexList from = persistentIndexList();
    if (!from.isEmpty()) {
        std::vector<int> newRowOf(order.size());
        for (size_t i = 0; i < order.size(); ++i)
            newRowOf[size_t(order[i])] = int(i);
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex &index : from)
            to.append(createIndex(newRowOf[size_t(index.row())], index.column()));
        changePersistentIndexList(from, to);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CUserListModel::ReverseKeepingTies(std::vector<int> &order, size_t nFirst,
                                        int nColumn) const
{
    if (nFirst >= order.size())
        return;
    // Reverse the whole tail, then each run of equal rows back again.
    std::reverse(order.begin() + qsizetype(nFirst), order.end());
    size_t nRun = nFirst;
    for (size_t i = nFirst + 1; i <= order.size(); ++i) {
        if (i < order.size() && CompareRows(order[i - 1], order[i], nColumn) == 0)
            continue;
        std::reverse(order.begin() + qsizetype(nRun), order.begin() + qsizetype(i));
        nRun = i;
    }
}

void CUserListModel::ApplyOrder(const std::vector<int> &order)
{
    // Row i takes the row that was at order[i]. Done in place, cycle by
    // cycle, so that a sort moves each row once and allocates no second list.
    std::vector<bool> placed(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        if (placed[i])
            continue;
        std::unique_ptr<Row> held = std::move(m_rows[i]);
        size_t j = i;
        for (;;) {
            placed[j] = true;
            const size_t k = size_t(order[j]);
            if (k == i) {
                m_rows[j] = std::move(held);
                break;
            }
            m_rows[j] = std::move(m_rows[k]);
            j = k;
        }
    }
}
