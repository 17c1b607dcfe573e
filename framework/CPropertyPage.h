#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class CPropertySheet;

// One page of a CPropertySheet.
//
// The page object lives as long as its owner wants (often as long as the sheet), but its
// window, that is its child controls, exists only while the sheet's window exists and
// only once the page has been shown: a page the administrator never opened has no
// controls, is never initialised and is never applied. Subclasses build their controls
// in CreateControls() (hand-written, or ui.setupUi(this) for a Designer form) and must
// not touch them while HasWindow() is false: they are deleted when the sheet's window
// goes away and built again the next time the page is shown.
//
// Data members hold the values; DoDataExchange() moves them to and from the controls.
class CPropertyPage : public QWidget
{
    Q_OBJECT

public:
    // The caption is the tab's text. A Designer form that sets windowTitle replaces it
    // when the controls are built; the tab follows windowTitle at any time.
    explicit CPropertyPage(const QString& strCaption = QString(), QWidget* pParent = nullptr);
    ~CPropertyPage() override;

    CPropertySheet* GetSheet() const { return m_pSheet; }
    bool HasWindow() const { return m_bHasWindow; }
    // True when the page's window was built at any time since its sheet's window was
    // last created, so a caller can tell after the sheet closed which pages were seen.
    bool WasShown() const { return m_bWasShown; }

    // Moves the data members to the controls (false) or the controls to the data members
    // (true, with validation). False when the page has no window or validation failed.
    bool UpdateData(bool bSaveAndValidate = true);

    // Marks the page as changed or unchanged; the sheet's Apply button is enabled while
    // any of its pages is changed.
    void SetModified(bool bChanged = true);
    bool IsModified() const { return m_bModified; }

    // Lifecycle, called by the sheet.
    // Once, right after the controls were built. The default fills the controls from
    // the data members.
    virtual bool OnInitDialog();
    // On every activation, the first one included. Return false to refuse it: the sheet
    // then goes back to the page that was active before.
    virtual bool OnSetActive();
    // When the page stops being the active one and before OK or Apply. The default saves
    // and validates the controls; false keeps the administrator on this page.
    virtual bool OnKillActive();
    // On OK and Apply, in tab order, for every page that has a window, after its
    // controls were saved. False stops the pages after this one and keeps the sheet open
    // on this page.
    virtual bool OnApply();
    // On Cancel (or the close box), for every page that has a window.
    virtual void OnCancel();

protected:
    // Builds the page's controls; called once per page window, before OnInitDialog.
    virtual void CreateControls();
    // Moves values between data members and controls; return false (after telling the
    // administrator why) when a typed value cannot be taken.
    virtual bool DoDataExchange(bool bSaveAndValidate);

    // Data exchange helpers for DoDataExchange.
    static void DDX_Text(bool bSave, QLineEdit* pEdit, QString& strValue);
    static void DDX_Text(bool bSave, QLabel* pLabel, QString& strValue);
    // Three-state check box: 0 unchecked, 1 checked, 2 mixed.
    static void DDX_Check(bool bSave, QCheckBox* pBox, int& nState);
    // A radio group: the value is the position of the checked button in the list,
    // -1 when none is checked (and then no button is left checked on screen).
    static void DDX_Radio(bool bSave, const QList<QAbstractButton*>& buttons, int& nValue);
    static void DDX_CBIndex(bool bSave, QComboBox* pCombo, int& nIndex);

private:
    friend class CPropertySheet;

    // Called by the sheet.
    void AttachToSheet(CPropertySheet* pSheet) { m_pSheet = pSheet; }
    bool EnsureWindow();
    void DestroyWindow();
    void ResetShown() { m_bWasShown = m_bHasWindow; }

    CPropertySheet* m_pSheet = nullptr;
    bool m_bHasWindow = false;
    bool m_bWasShown = false;
    bool m_bModified = false;
    // What CreateControls() added to the page, so that destroying the window removes
    // exactly that and keeps anything the page object made for itself.
    QList<QPointer<QObject>> m_windowObjects;
};
