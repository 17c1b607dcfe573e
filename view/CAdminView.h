#pragma once

#include "framework/CCmdTarget.h"
#include "framework/CImageList.h"
#include "store/CUser.h"
#include "view/CListViewEx.h"
#include "view/CRowObject.h"

#include <QIcon>
#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>

#include <functional>

class CAdminDoc;
class CCmdUI;
class CFrameWnd;
class CRefreshTimers;
class CGroup;
class CUserListModel;
class CViewFilter;
class QMenu;

// The user list: the main window's client area, one row per user of the
// roster and one per shared recipient group, in the columns of the column
// layout. It refreshes itself on a timer (1 s after start, 3 s later, then
// every 20 s, and at once on Refresh), sorts on a click on a column header,
// and offers its selection to the commands that act on users.
//
// A refresh costs nothing when Users.ini did not change: rows are compared
// with the status their users report and only changed cells are announced.
class CAdminView : public CListViewEx, public CCmdTarget
{
    Q_OBJECT

public:
    // Row state bits of the marked row and of a row that was marked.
    static constexpr int kMarkedState = 0x2100;
    static constexpr int kUnmarkedState = 0x1000;
    static constexpr int kMarkMask = 0xFF00;

    explicit CAdminView(CAdminDoc *pDoc, QWidget *parent = nullptr);
    ~CAdminView() override;

    // Makes the user list pFrame's client area and its command route's
    // view, reads the column layout, fills the list and starts the refresh
    // timer.
    static CAdminView *Create(CFrameWnd *pFrame, CAdminDoc *pDoc);
    // Images, columns, the first fill and the refresh timer.
    void OnInitialUpdate();

    CAdminDoc *GetDocument() const;
    CUserListModel *GetModel() const { return m_pModel; }

    // Refreshes the rows from the document: loads the roster when Users.ini
    // changed, appends rows for new users at the end and for new groups at
    // the top, and updates what changed. bReload reads every user's status
    // again first.
    void FillList(bool bReload);
    // Brings one user's row up to date (appending one when it has none)
    // and returns it; -1 for no user or a deleted user while those are not
    // shown. Call it after changing something the row shows that the
    // status does not carry, such as CUser::MarkUpgradeRequested.
    int UpdateUserRow(CUser *pUser, bool bReload);
    int UpdateGroupRow(CGroup *pGroup);
    void RemoveGroupRows();

    // The list columns from the column layout, and their removal. The
    // selection taken out with the columns comes back with them.
    void InsertColumns();
    bool DeleteColumns();
    // Takes the list's column widths into the column layout.
    void RecordColumnWidths();

    // The object of the selected row with the lowest index, or none.
    CRowObject GetFirstSelectedObject() const;
    // Appends every selected user and every member of every selected group,
    // each once and in row order, to users; returns users' size, or 0 (and
    // users untouched) when nothing is selected.
    int GetSelectedUsers(QList<CUser *> &users) const;
    // Selects the rows of pGroup's members, keeping the current selection.
    void SelectGroupMembers(const CGroup *pGroup);
    int GetRowCount() const;
    CRowObject GetRowObject(int nRow) const;
    int FindRow(const CRowObject &object) const;

    bool GetShowDeleted() const { return m_bShowDeleted; }
    // Shows or hides deleted users at once: shown ones are appended.
    void SetShowDeleted(bool bShow);

    // A click on a column header: the first sorts in the list's order, a
    // second on the same column the other way round; the header's arrow
    // shows which.
    void SortByColumn(int nPosition);
    int GetSortColumn() const { return m_nSortColumn; }
    bool IsSortReversed() const { return m_bSortReversed; }

    // The filter that hides the rows not matching the filter box's text.
    CViewFilter *GetFilter() const { return m_pFilter; }

    // Widens or narrows list column nPosition to its title and the texts of
    // its rows (a double click on the header divider does it).
    void FitColumn(int nPosition);
    // Fits the name and time columns; for a first start, when no layout
    // was stored, so that the time of day shows at once.
    void FitNameAndTimeColumns();

    // The menu a right click, the Menu key or Shift+F10 opens on the rows;
    // the view does not own it.
    void SetContextMenu(QMenu *pMenu);
    QMenu *GetContextMenu() const;
    // Enter on a row: shows the property sheet on the selection, or brings
    // it to the front when it is shown already.
    void OpenProperties();
    // What a row image means, in words.
    static QString ImageText(int nImage);

    // Marks row nRow (the main window shows its image as icon); marking
    // the marked row again unmarks it and gives the window its own icon back.
    void MarkRow(int nRow);
    int GetMarkedRow() const;

    // Commands.
    void OnEditSelectAll();
    void OnViewRefresh();
    void OnClientWidthSel();
    void OnUpdateClientWidthSel(CCmdUI *pCmdUI) const;
    // Enabling rules of the commands served by other parts: install a
    // command with InstallCommand and its rule comes with it.
    void OnUpdateProperties(CCmdUI *pCmdUI) const;
    static void OnUpdateEditGroups(CCmdUI *pCmdUI);
    static void OnUpdateEditUserGroups(CCmdUI *pCmdUI);
    static void OnUpdateApplyGroups(CCmdUI *pCmdUI);
    // Registers handler for command nID together with the command's
    // enabling rule, if it has one.
    void InstallCommand(int nID, Handler handler);

    // The modeless windows kept from their first command until the view
    // goes; the view owns them.
    void SetPropertySheet(QWidget *pSheet);
    QWidget *GetPropertySheet() const { return m_pPropertySheet; }
    void SetApplyGroupsDlg(QWidget *pDlg);
    QWidget *GetApplyGroupsDlg() const { return m_pApplyGroupsDlg; }

    const CRefreshTimers &GetRefreshTimers() const { return *m_pTimers; }
    const CImageList &GetSmallImages() const { return m_smallImages; }
    const CImageList &GetNormalImages() const { return m_normalImages; }
    // The current time as the rows see it; tests may set their own clock.
    void SetClock(std::function<qint64()> clock);

Q_SIGNALS:
    // A user row became selected and focused (the property sheet shows it).
    void UserSelected(CUser *pUser);
    // Rows were selected or deselected (the apply-groups dialog follows).
    void SelectionStateChanged();
    // A refresh of the rows ended.
    void Refreshed();
    // The property sheet was made (before it is first shown).
    void PropertySheetSet(QWidget *pSheet);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // The row's image says its state in words in a tooltip, so that colour
    // is not the only way to tell.
    bool viewportEvent(QEvent *event) override;

private:
    void OnStatusRead();
    void AppendNewUsers(qint64 now);
    void ReadStatus(const QList<CUser *> &users);
    void UpdateGroups();
    void ConnectSelection();
    void OnCurrentChanged(const QModelIndex &current);
    void OnSelectionChanged(const QItemSelection &selected);
    QList<int> SelectedRows() const;
    CGroup *LiveGroup(const CRowObject &object) const;
    void SaveSelection();
    void RestoreSelection();
    void ShowMarkIcon();
    void RestoreWindowIcon();
    qint64 Now() const;

    QPointer<CAdminDoc> m_pDoc;
    CUserListModel *m_pModel;
    QPointer<QWidget> m_pPropertySheet;
    QPointer<QWidget> m_pApplyGroupsDlg;
    bool m_bShowDeleted = false;
    CRefreshTimers *m_pTimers;
    CImageList m_normalImages{QSize(32, 32)};
    CImageList m_smallImages{QSize(16, 16)};
    QList<std::pair<int, int>> m_savedSelection;
    int m_nSavedCurrent = -1;
    QPersistentModelIndex m_markedRow;
    QIcon m_windowIcon;
    bool m_bWindowIconSaved = false;
    bool m_bInitialized = false;
    // Users of the roster already looked at; the roster only grows.
    qsizetype m_nUsersSeen = 0;
    std::function<qint64()> m_clock;
    CViewFilter *m_pFilter;
    QPointer<QMenu> m_pContextMenu;
    int m_nSortColumn = -1;
    bool m_bSortReversed = false;
};
