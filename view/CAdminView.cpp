#include "view/CAdminView.h"

#include "framework/CCmdUI.h"
#include "framework/CFrameWnd.h"
#include "framework/ResourceIds.h"
#include "platform/LocalTime.h"
#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"
#include "uilib/SetGetCoolDisplay.h"
#include "view/CColumnArray.h"
#include "view/CRefreshTimers.h"
#include "view/CUserListModel.h"
#include "view/CSortKey.h"
#include "view/CViewFilter.h"
#include "view/CViewImages.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>

CAdminView::CAdminView(CAdminDoc *pDoc, QWidget *parent)
    : CListViewEx(parent), m_pDoc(pDoc), m_pModel(new CUserListModel(this)),
      m_pTimers(new CRefreshTimers([this](bool bReload) { FillList(bReload); }, this)),
      m_clock(&LocalTime::Now), m_pFilter(new CViewFilter(this, m_pModel))
{
    setObjectName(QStringLiteral("CAdminView"));
    setAccessibleName(tr("Users and groups"));
    // The shared UI library's display settings are looked at once, before
    // any of its pages is shown.
    for (int nSetting = 1; nSetting <= 5; ++nSetting) {
        int nValue = 1;
        SetGetCoolDisplay(0, nValue, nSetting);
    }
    // The selection stays visible while a sheet or dialog has the focus.
    SetShowSelAlways(true);
    m_normalImages = CViewImages::LoadNormal();
    m_smallImages = CViewImages::LoadSmall();
    SetImageList(&m_normalImages, LVSIL_NORMAL);
    SetImageList(&m_smallImages, LVSIL_SMALL);
    setModel(m_pModel);
    ConnectSelection();

    connect(header(), &QHeaderView::sectionClicked, this, &CAdminView::SortByColumn);
    connect(header(), &QHeaderView::sectionHandleDoubleClicked, this, &CAdminView::FitColumn,
            Qt::UniqueConnection);
    header()->setSortIndicatorShown(false);
    connect(m_pModel, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                if (m_markedRow.isValid() && topLeft.row() <= m_markedRow.row()
                    && m_markedRow.row() <= bottomRight.row())
                    ShowMarkIcon();
            });
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (m_bWindowIconSaved && !m_markedRow.isValid())
            RestoreWindowIcon();
    });
    if (m_pDoc) {
        connect(m_pDoc, &CAdminDoc::StatusRead, this, &CAdminView::OnStatusRead);
        connect(m_pDoc, &CAdminDoc::RosterGrew, this, [this] { AppendNewUsers(Now()); });
        // The rows of groups go before the objects they show.
        connect(m_pDoc, &CAdminDoc::GroupsAboutToBeReplaced, this, &CAdminView::RemoveGroupRows);
        connect(m_pDoc, &CAdminDoc::GroupsReplaced, this, [this] {
            if (m_bInitialized)
                UpdateGroups();
        });
    }

    AddCommand(ID_EDIT_SELECT_ALL, [this] { OnEditSelectAll(); });
    AddCommand(ID_VIEW_REFRESH, [this] { OnViewRefresh(); });
    AddCommand(ID_VIEW_CLIENT_WIDTH_SEL, [this] { OnClientWidthSel(); });
    AddUpdateCommandUI(ID_VIEW_CLIENT_WIDTH_SEL,
                       [this](CCmdUI *pCmdUI) { OnUpdateClientWidthSel(pCmdUI); });
}

CAdminView::~CAdminView()
{
    RestoreWindowIcon();
    if (m_bInitialized) {
        RecordColumnWidths();
        CColumnArray::Shared().SaveToRegistry();
    }
}

CAdminView *CAdminView::Create(CFrameWnd *pFrame, CAdminDoc *pDoc)
{
    auto *pView = new CAdminView(pDoc, pFrame);
    if (pFrame)
        pFrame->SetActiveView(pView, pView);
    pView->OnInitialUpdate();
    return pView;
}

void CAdminView::OnInitialUpdate()
{
    CColumnArray::Shared().LoadFromRegistry(this);
    m_bInitialized = true;
    InsertColumns();
    FillList(false);
    if (!CColumnArray::Shared().HadStoredLayout())
        FitNameAndTimeColumns();
    m_pTimers->Start();
}

CAdminDoc *CAdminView::GetDocument() const
{
    return m_pDoc;
}

qint64 CAdminView::Now() const
{
    return m_clock();
}

void CAdminView::SetClock(std::function<qint64()> clock)
{
    m_clock = clock ? std::move(clock) : std::function<qint64()>(&LocalTime::Now);
}

// --- Filling -------------------------------------------------------------

void CAdminView::FillList(bool bReload)
{
    if (!m_pDoc)
        return;
    const qint64 now = Now();
    if (bReload) {
        m_pDoc->LoadRoster();
        ReadStatus(m_pDoc->GetUsers());
        AppendNewUsers(now);
        m_pModel->RefreshAllUsers(false, now);
    } else if (!m_pDoc->RefreshRoster()) {
        // Users.ini did not change. A user whose status could not be read
        // is read again at every refresh, here, until it works. When it
        // did change, the reader reads everybody and new users and their
        // statuses come from it.
        const QList<CUser *> failed = m_pModel->GetUsersWithFailedStatus().values();
        ReadStatus(failed);
        AppendNewUsers(now);
        for (CUser *pUser : failed)
            m_pModel->RefreshUser(pUser, false, now);
    }
    // "Connected" says "-" once a logon is five days old, status or not.
    for (CUser *pUser : m_pModel->TakeExpiredConnections(now))
        m_pModel->RefreshUser(pUser, true, now);
    UpdateGroups();
    Q_EMIT Refreshed();
}

void CAdminView::ReadStatus(const QList<CUser *> &users)
{
    if (users.isEmpty() || !m_pDoc)
        return;
    // One parse of Users.ini for all of them.
    const std::shared_ptr<const ProfileFile> usersIni = Profile::Load(m_pDoc->GetUsersIniPath());
    for (CUser *pUser : users)
        if (m_bShowDeleted || !pUser->IsDeleted())
            pUser->ReadStatus(*usersIni);
}

void CAdminView::AppendNewUsers(qint64 now)
{
    if (!m_pDoc)
        return;
    const QList<CUser *> &users = m_pDoc->GetUsers();
    QList<CUser *> added;
    for (; m_nUsersSeen < users.size(); ++m_nUsersSeen) {
        CUser *pUser = users[m_nUsersSeen];
        if (m_bShowDeleted || !pUser->IsDeleted())
            added.append(pUser);
    }
    m_pModel->AppendUsers(added, now);
}

void CAdminView::UpdateGroups()
{
    const QList<CGroup *> &groups = m_pDoc->GetGroups();
    // Rows of groups the document no longer holds go first: those objects
    // may already be deleted.
    m_pModel->RemoveGroupRowsExcept(groups);
    m_pModel->InsertGroups(groups);
    for (CGroup *pGroup : groups)
        m_pModel->UpdateGroup(pGroup);
}

void CAdminView::OnStatusRead()
{
    m_pModel->RefreshAllUsers(false, Now());
}

int CAdminView::UpdateUserRow(CUser *pUser, bool bReload)
{
    if (!pUser)
        return -1;
    if ((bReload || pUser->HasStatusReadFailed()) && m_pDoc)
        pUser->ReadStatus(m_pDoc->GetUsersIniPath());
    if (pUser->IsDeleted() && !m_bShowDeleted) {
        m_pModel->RemoveRow(CRowObject::User(pUser));
        return -1;
    }
    return m_pModel->UpdateUser(pUser, true, Now());
}

int CAdminView::UpdateGroupRow(CGroup *pGroup)
{
    return m_pModel->UpdateGroup(pGroup);
}

void CAdminView::RemoveGroupRows()
{
    m_pModel->RemoveGroupRows();
}

void CAdminView::SetShowDeleted(bool bShow)
{
    if (m_bShowDeleted == bShow)
        return;
    m_bShowDeleted = bShow;
    if (!m_pDoc)
        return;
    QList<CUser *> deleted;
    for (qsizetype i = 0; i < m_nUsersSeen; ++i)
        if (CUser *pUser = m_pDoc->GetUsers()[i]; pUser->IsDeleted())
            deleted.append(pUser);
    if (bShow) {
        m_pModel->AppendUsers(deleted, Now());
    } else {
        for (CUser *pUser : std::as_const(deleted))
            m_pModel->RemoveRow(CRowObject::User(pUser));
    }
}

// --- Columns -------------------------------------------------------------

void CAdminView::InsertColumns()
{
    const CColumnArray &columns = CColumnArray::Shared();
    QList<CUserListModel::Column> list;
    QList<int> widths;
    for (int i = 0; i < columns.GetSize(); ++i) {
        const CColumn *pColumn = columns.GetAt(i);
        if (!pColumn->IsVisible())
            continue;
        list.append({pColumn->GetIndex(), pColumn->GetTitle(), pColumn->GetAlignment()});
        widths.append(pColumn->GetWidth());
    }
    m_pModel->SetColumns(list, Now());
    // The columns may have moved: no arrow until the next click.
    m_nSortColumn = -1;
    m_bSortReversed = false;
    header()->setSortIndicatorShown(false);
    for (qsizetype i = 0; i < widths.size(); ++i)
        header()->resizeSection(int(i), widths[i]);
    RestoreSelection();
}

bool CAdminView::DeleteColumns()
{
    // A list without columns has no selection; the rows stay as they are
    // until the columns are back, so their selection is taken along.
    SaveSelection();
    m_pModel->SetColumns({}, Now());
    return m_pModel->columnCount() == 0;
}

void CAdminView::SaveSelection()
{
    m_savedSelection.clear();
    if (!selectionModel() || m_pModel->columnCount() == 0)
        return;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        m_savedSelection.append({range.top(), range.bottom()});
    m_nSavedCurrent = selectionModel()->currentIndex().row();
}

void CAdminView::RestoreSelection()
{
    const int nColumns = m_pModel->columnCount();
    if (nColumns == 0 || (m_savedSelection.isEmpty() && m_nSavedCurrent < 0))
        return;
    const int nRows = m_pModel->rowCount();
    QItemSelection selection;
    for (const auto &[nTop, nBottom] : std::as_const(m_savedSelection))
        if (nTop < nRows)
            selection.select(m_pModel->index(nTop, 0),
                             m_pModel->index(qMin(nBottom, nRows - 1), nColumns - 1));
    if (m_nSavedCurrent >= 0 && m_nSavedCurrent < nRows)
        selectionModel()->setCurrentIndex(m_pModel->index(m_nSavedCurrent, 0),
                                          QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_savedSelection.clear();
    m_nSavedCurrent = -1;
}

void CAdminView::RecordColumnWidths()
{
    const CColumnArray &columns = CColumnArray::Shared();
    for (int i = 0; i < columns.GetSize(); ++i) {
        CColumn *pColumn = columns.GetAt(i);
        if (pColumn->IsVisible() && pColumn->GetPosition() < header()->count())
            pColumn->SetWidth(header()->sectionSize(pColumn->GetPosition()));
    }
}

void CAdminView::SortByColumn(int nPosition)
{
    m_bSortReversed = nPosition == m_nSortColumn && !m_bSortReversed;
    m_nSortColumn = nPosition;
    m_pModel->Sort(nPosition, m_bSortReversed);
    // The list's own order is ascending for texts and newest or highest
    // first for times and numbers; the arrow tells the order it shows.
    const bool bLargestFirst = CSortKey::KindOf(m_pModel->GetField(nPosition)) == CSortKey::Kind::Time
                               || CSortKey::KindOf(m_pModel->GetField(nPosition))
                                      == CSortKey::Kind::Number;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(nPosition, bLargestFirst != m_bSortReversed ? Qt::DescendingOrder
                                                                           : Qt::AscendingOrder);
}

void CAdminView::FitColumn(int nPosition)
{
    if (nPosition < 0 || nPosition >= m_pModel->columnCount())
        return;
    // The rows shown and the first rows of the list are enough: the texts
    // of a column have like widths, and all rows of a big list would take
    // long to measure.
    constexpr int kRowsMeasured = 1000;
    const QFontMetrics metrics = fontMetrics();
    const int nInset = nPosition == 0 ? kLabelOffset : kCellOffset;
    int nWidth = header()->sectionSizeHint(nPosition);
    int nMeasured = 0;
    const auto measure = [&](int nRow) {
        if (isRowHidden(nRow, QModelIndex()))
            return;
        int nText = metrics.horizontalAdvance(
                        m_pModel->data(m_pModel->index(nRow, nPosition)).toString())
                    + nInset;
        if (nPosition == 0)
            nText += GetLabelLeft(QRect(0, 0, 1, 1));
        nWidth = qMax(nWidth, nText);
        ++nMeasured;
    };
    const QModelIndex top = indexAt(QPoint(0, 0));
    for (int nRow = top.isValid() ? top.row() : 0;
         nRow < m_pModel->rowCount() && nMeasured < kRowsMeasured / 2; ++nRow)
        measure(nRow);
    for (int nRow = 0; nRow < m_pModel->rowCount() && nMeasured < kRowsMeasured; ++nRow)
        measure(nRow);
    header()->resizeSection(nPosition, nWidth);
}

void CAdminView::FitNameAndTimeColumns()
{
    for (int nPosition = 0; nPosition < m_pModel->columnCount(); ++nPosition) {
        const int nField = m_pModel->GetField(nPosition);
        if (nField == CUser::ColLogin || nField == CUser::ColFullName
            || CSortKey::KindOf(nField) == CSortKey::Kind::Time)
            FitColumn(nPosition);
    }
}

// --- Selection -----------------------------------------------------------

int CAdminView::GetRowCount() const
{
    return m_pModel->rowCount();
}

CRowObject CAdminView::GetRowObject(int nRow) const
{
    return m_pModel->GetRowObject(nRow);
}

int CAdminView::FindRow(const CRowObject &object) const
{
    return m_pModel->FindRow(object);
}

QList<int> CAdminView::SelectedRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    // A hidden row is never selected on purpose; should one be, it is not
    // acted on.
    for (const QItemSelectionRange &range : selectionModel()->selection())
        for (int nRow = range.top(); nRow <= range.bottom(); ++nRow)
            if (!isRowHidden(nRow, QModelIndex()))
                rows.append(nRow);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

CGroup *CAdminView::LiveGroup(const CRowObject &object) const
{
    // A group row may outlive its group until the next refresh when the
    // document replaces its groups; only a group it still holds is read.
    CGroup *pGroup = object.GetGroup();
    return pGroup && m_pDoc && m_pDoc->GetGroups().contains(pGroup) ? pGroup : nullptr;
}

CRowObject CAdminView::GetFirstSelectedObject() const
{
    if (!selectionModel())
        return {};
    int nFirst = -1;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        if (nFirst < 0 || range.top() < nFirst)
            nFirst = range.top();
    return m_pModel->GetRowObject(nFirst);
}

int CAdminView::GetSelectedUsers(QList<CUser *> &users) const
{
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty())
        return 0;
    QSet<CUser *> seen(users.cbegin(), users.cend());
    const auto add = [&](CUser *pUser) {
        if (pUser && !seen.contains(pUser)) {
            seen.insert(pUser);
            users.append(pUser);
        }
    };
    for (int nRow : rows) {
        const CRowObject object = m_pModel->GetRowObject(nRow);
        if (object.IsUser())
            add(object.GetUser());
        else if (const CGroup *pGroup = LiveGroup(object))
            for (CUser *pMember : *pGroup)
                add(pMember);
    }
    return int(users.size());
}

void CAdminView::SelectGroupMembers(const CGroup *pGroup)
{
    if (!pGroup || !selectionModel() || m_pModel->columnCount() == 0)
        return;
    QList<int> rows;
    for (CUser *pMember : *pGroup)
        if (const int nRow = m_pModel->FindRow(CRowObject::User(pMember));
            nRow >= 0 && !isRowHidden(nRow, QModelIndex()))
            rows.append(nRow);
    std::sort(rows.begin(), rows.end());
    QItemSelection selection;
    const int nLastColumn = m_pModel->columnCount() - 1;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows[j + 1] <= rows[j] + 1)
            ++j;
        selection.select(m_pModel->index(rows[i], 0), m_pModel->index(rows[j], nLastColumn));
        i = j + 1;
    }
    if (!selection.isEmpty())
        selectionModel()->select(selection, QItemSelectionModel::Select);
}

void CAdminView::ConnectSelection()
{
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { OnCurrentChanged(current); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) { OnSelectionChanged(selected); });
}

void CAdminView::OnCurrentChanged(const QModelIndex &current)
{
    if (current.isValid() && selectionModel()->isSelected(current.siblingAtColumn(0)))
        if (CUser *pUser = m_pModel->GetRowObject(current.row()).GetUser())
            Q_EMIT UserSelected(pUser);
}

void CAdminView::OnSelectionChanged(const QItemSelection &selected)
{
    const QModelIndex current = selectionModel()->currentIndex();
    if (current.isValid() && selected.contains(current.siblingAtColumn(0)))
        if (CUser *pUser = m_pModel->GetRowObject(current.row()).GetUser())
            Q_EMIT UserSelected(pUser);
    Q_EMIT SelectionStateChanged();
}

// --- Mouse and the marked row --------------------------------------------

void CAdminView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    // The first cell holds the row's state image, image and label.
    if (event->button() == Qt::LeftButton && index.isValid() && index.column() == 0)
        MarkRow(index.row());
    CListViewEx::mouseDoubleClickEvent(event);
}

void CAdminView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            SelectGroupMembers(LiveGroup(m_pModel->GetRowObject(index.row())));
    }
    CListViewEx::mouseReleaseEvent(event);
}

void CAdminView::SetContextMenu(QMenu *pMenu)
{
    m_pContextMenu = pMenu;
}

QMenu *CAdminView::GetContextMenu() const
{
    return m_pContextMenu;
}

void CAdminView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_pContextMenu)
        return;
    QPoint pos = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        // As on a right click without the menu: a group's members join the
        // selection, so the menu's commands see them.
        const QModelIndex index = indexAt(viewport()->mapFromGlobal(pos));
        if (index.isValid())
            SelectGroupMembers(LiveGroup(m_pModel->GetRowObject(index.row())));
    } else {
        // From the keyboard the menu opens at the current row when it can
        // be seen, else at the list's top left corner.
        const QRect rect = visualRect(currentIndex());
        const QPoint local = rect.isValid() && viewport()->rect().intersects(rect)
                                 ? QPoint(rect.left() + 8, rect.bottom())
                                 : QPoint(0, 0);
        pos = viewport()->mapToGlobal(local);
    }
    m_pContextMenu->popup(pos);
    event->accept();
}

void CAdminView::keyPressEvent(QKeyEvent *event)
{
    const bool bEnter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (bEnter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        OpenProperties();
        event->accept();
        return;
    }
    const bool bMenuKey = event->key() == Qt::Key_Menu
                          || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (bMenuKey) {
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        contextMenuEvent(&menuEvent);
        event->accept();
        return;
    }
    CListViewEx::keyPressEvent(event);
}

bool CAdminView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *pHelp = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(pHelp->pos());
        if (index.isValid() && index.column() == 0
            && pHelp->pos().x() < GetLabelLeft(visualRect(index))) {
            const QString text = ImageText(m_pModel->GetRowImage(index.row()));
            if (!text.isEmpty()) {
                QToolTip::showText(pHelp->globalPos(), text, viewport(), visualRect(index));
                return true;
            }
        }
    }
    return CListViewEx::viewportEvent(event);
}

QString CAdminView::ImageText(int nImage)
{
    switch (nImage) {
    case CUserListModel::ImgNeverLoggedOn: return tr("Never logged on");
    case CUserListModel::ImgConnected: return tr("Connected");
    case CUserListModel::ImgNotConnected: return tr("Not connected");
    case CUserListModel::ImgDeleted: return tr("Deleted user");
    case CUserListModel::ImgUpgradePending: return tr("Upgrade requested, not yet taken up");
    case CUserListModel::ImgGroup: return tr("Recipient group");
    default: return {};
    }
}

void CAdminView::OpenProperties()
{
    if (m_pPropertySheet && m_pPropertySheet->isVisible()) {
        m_pPropertySheet->raise();
        m_pPropertySheet->activateWindow();
        return;
    }
    OnCmdMsg(ID_VIEW_PROPERTIES);
}

int CAdminView::GetMarkedRow() const
{
    return m_markedRow.isValid() ? m_markedRow.row() : -1;
}

void CAdminView::MarkRow(int nRow)
{
    const int nMarked = GetMarkedRow();
    if (nMarked >= 0)
        m_pModel->SetRowState(nMarked, kUnmarkedState, kMarkMask);
    m_markedRow = QPersistentModelIndex();
    if (nRow == nMarked || nRow < 0 || nRow >= m_pModel->rowCount()) {
        RestoreWindowIcon();
        return;
    }
    m_pModel->SetRowState(nRow, kMarkedState, kMarkMask);
    m_markedRow = QPersistentModelIndex(m_pModel->index(nRow, 0));
    ShowMarkIcon();
}

void CAdminView::ShowMarkIcon()
{
    QWidget *pWindow = window();
    if (!m_bWindowIconSaved) {
        m_windowIcon = pWindow->windowIcon();
        m_bWindowIconSaved = true;
    }
    // The row's own image: the window then tells whether the user it
    // watches is connected.
    const QIcon icon = CViewImages::MarkIcon(m_smallImages, m_normalImages,
                                             m_pModel->GetRowImage(GetMarkedRow()));
    pWindow->setWindowIcon(icon.isNull() ? m_windowIcon : icon);
}

void CAdminView::RestoreWindowIcon()
{
    if (!m_bWindowIconSaved)
        return;
    window()->setWindowIcon(m_windowIcon);
    m_bWindowIconSaved = false;
}

// --- Commands ------------------------------------------------------------

void CAdminView::OnEditSelectAll()
{
    if (m_pModel->rowCount() == 0 || m_pModel->columnCount() == 0)
        return;
    if (m_pFilter->IsActive()) {
        selectionModel()->select(m_pFilter->ShownRows(), QItemSelectionModel::Select);
        return;
    }
    selectionModel()->select(
        QItemSelection(m_pModel->index(0, 0),
                       m_pModel->index(m_pModel->rowCount() - 1, m_pModel->columnCount() - 1)),
        QItemSelectionModel::Select);
}

void CAdminView::OnViewRefresh()
{
    m_pTimers->RefreshNow();
}

void CAdminView::OnClientWidthSel()
{
    SetClientWidthSel(!GetClientWidthSel());
    viewport()->repaint();
}

void CAdminView::OnUpdateClientWidthSel(CCmdUI *pCmdUI) const
{
    pCmdUI->SetCheck(GetClientWidthSel() ? 1 : 0);
    pCmdUI->Enable(IsReportMode() && GetFullRowSel());
}

void CAdminView::OnUpdateProperties(CCmdUI *pCmdUI) const
{
    pCmdUI->Enable(true);
    pCmdUI->SetCheck(m_pPropertySheet && m_pPropertySheet->isVisible() ? 1 : 0);
}

void CAdminView::OnUpdateEditGroups(CCmdUI *pCmdUI)
{
    pCmdUI->Enable(true);
}

void CAdminView::OnUpdateEditUserGroups(CCmdUI *pCmdUI)
{
    pCmdUI->Enable(false);
}

void CAdminView::OnUpdateApplyGroups(CCmdUI *pCmdUI)
{
    pCmdUI->Enable(false);
}

void CAdminView::InstallCommand(int nID, Handler handler)
{
    AddCommand(nID, std::move(handler));
    switch (nID) {
    case ID_VIEW_PROPERTIES:
        AddUpdateCommandUI(nID, [this](CCmdUI *pCmdUI) { OnUpdateProperties(pCmdUI); });
        break;
    case ID_EDIT_GROUPS:
        AddUpdateCommandUI(nID, &CAdminView::OnUpdateEditGroups);
        break;
    case ID_EDIT_USER_GROUPS:
        AddUpdateCommandUI(nID, &CAdminView::OnUpdateEditUserGroups);
        break;
    case ID_ACTIONS_APPLY_GROUPS:
        AddUpdateCommandUI(nID, &CAdminView::OnUpdateApplyGroups);
        break;
    case ID_VIEW_CLIENT_WIDTH_SEL:
        AddUpdateCommandUI(nID, [this](CCmdUI *pCmdUI) { OnUpdateClientWidthSel(pCmdUI); });
        break;
    default:
        break;
    }
}

void CAdminView::SetPropertySheet(QWidget *pSheet)
{
    if (m_pPropertySheet && m_pPropertySheet != pSheet)
        delete m_pPropertySheet;
    m_pPropertySheet = pSheet;
    if (pSheet && pSheet->parent() != this)
        pSheet->setParent(this, pSheet->windowFlags());
    if (pSheet)
        Q_EMIT PropertySheetSet(pSheet);
}

void CAdminView::SetApplyGroupsDlg(QWidget *pDlg)
{
    if (m_pApplyGroupsDlg && m_pApplyGroupsDlg != pDlg)
        delete m_pApplyGroupsDlg;
    m_pApplyGroupsDlg = pDlg;
    if (pDlg && pDlg->parent() != this)
        pDlg->setParent(this, pDlg->windowFlags());
}
