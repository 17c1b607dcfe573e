#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

class CPropertyPage;

// A tabbed dialog of CPropertyPage objects with OK, Cancel and Apply.
//
// The sheet object and its window are two things: the object keeps its pages and
// their data for as long as its owner likes, while the window (the page controls and
// the lifecycle calls that come with them) exists only between DoModal()/Create() and
// the end of that run. A page's controls are built the first time the page is shown,
// so pages the administrator never opens are neither initialised nor applied.
//
// Run it with DoModal(), which answers IDOK or IDCANCEL, or as a modeless window with
// Create(); never with QDialog::exec()/open(), which bypass the page lifecycle.
class CPropertySheet : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    explicit CPropertySheet(const QString& strCaption = QString(), QWidget* pParent = nullptr,
                            int nSelectPage = 0);
    ~CPropertySheet() override;

    void SetTitle(const QString& strCaption) { setWindowTitle(strCaption); }

    // The sheet does not copy the page: the page becomes a child widget of the sheet and
    // is deleted with it unless its owner deletes it first (a page may be a member of a
    // sheet subclass). Pages can be added before or while the window exists.
    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return int(m_pages.size()); }
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(const CPropertyPage* pPage) const;

    // Without a window these name the page the next window opens on.
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    // Switches pages as a tab click would; false when the index is invalid or a page
    // refused the switch.
    bool SetActivePage(int nPage);
    bool SetActivePage(CPropertyPage* pPage);

    // Whether the sheet has an Apply button at all (it has one by default).
    void SetApplyButton(bool bShow);
    // A modeless sheet is a display beside the main window and has no OK, Cancel or
    // Apply unless asked for them here; its close box ends it.
    void SetModelessButtons(bool bShow);
    // What closing a modeless sheet does: hide it, keeping page controls as they are,
    // or (the default) destroy its window, to be created afresh by the next Create().
    void SetHideOnClose(bool bHide) { m_bHideOnClose = bHide; }

    // Runs the sheet modally; -1 when the sheet already has a window.
    int DoModal();
    // Creates the modeless window with the start page initialised and active, showing
    // it only when asked. A sheet that already has a modeless window is just shown.
    bool Create(bool bVisible = true);
    // Ends the window without applying or cancelling anything; the pages keep their data.
    void DestroyWindow();
    bool HasWindow() const { return m_bHasWindow; }
    bool IsModeless() const { return m_bHasWindow && !m_bModal; }

Q_SIGNALS:
    // The window closed by OK (IDOK), by Cancel, Escape or the close box (IDCANCEL).
    void SheetClosed(int nResult);

protected:
    void reject() override;

private:
    friend class CPropertyPage;

    void PageDestroyed(CPropertyPage* pPage);
    void PageModifiedChanged() { UpdateButtons(); }

    void CreateSheetWindow();
    void OnTabChanged(int nIndex);
    void ActivatePage(int nPage, int nPrevious);
    void ShowTab(int nPage);
    bool ApplyPages();
    void CancelPages();
    void OnOk();
    void CloseWindow(int nResult);
    void UpdateButtons();
    bool IsAnyPageModified() const;
    int ClampedStartPage() const;

    QTabWidget* m_pTabs = nullptr;
    QDialogButtonBox* m_pButtonBox = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    QPushButton* m_pApply = nullptr;

    QList<CPropertyPage*> m_pages;
    int m_nStartPage = 0;
    int m_nActive = -1;
    int m_nResult = IDCANCEL;
    bool m_bHasWindow = false;
    bool m_bModal = false;
    bool m_bApplyButton = true;
    bool m_bModelessButtons = false;
    bool m_bHideOnClose = false;
};
