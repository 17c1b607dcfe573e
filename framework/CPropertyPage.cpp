#include "CPropertyPage.h"

#include "CPropertySheet.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>

#include <algorithm>

CPropertyPage::CPropertyPage(const QString& strCaption, QWidget* pParent)
    : QWidget(pParent)
{
    setWindowTitle(strCaption);
}

CPropertyPage::~CPropertyPage()
{
    // Pages are often members of a sheet subclass and die before the sheet does: the
    // sheet must forget the page before QWidget's destructor pulls it out of the tabs.
    if (m_pSheet)
        m_pSheet->PageDestroyed(this);
}

bool CPropertyPage::UpdateData(bool bSaveAndValidate)
{
    if (!m_bHasWindow)
        return false;
    return DoDataExchange(bSaveAndValidate);
}

void CPropertyPage::SetModified(bool bChanged)
{
    if (m_bModified == bChanged)
        return;
    m_bModified = bChanged;
    if (m_pSheet)
        m_pSheet->PageModifiedChanged();
}

bool CPropertyPage::OnInitDialog()
{
    UpdateData(false);
    return true;
}

bool CPropertyPage::OnSetActive()
{
    // The controls keep what the administrator typed while another page was shown, so
    // there is nothing to refresh here; pages that show live data override this.
    return true;
}

bool CPropertyPage::OnKillActive()
{
    return UpdateData(true);
}

bool CPropertyPage::OnApply()
{
    return true;
}

void CPropertyPage::OnCancel()
{
}

void CPropertyPage::CreateControls()
{
}

bool CPropertyPage::DoDataExchange(bool)
{
    return true;
}

bool CPropertyPage::EnsureWindow()
{
    if (m_bHasWindow)
        return false;
    const QObjectList before = children();
    CreateControls();
    m_windowObjects.clear();
    for (QObject* pChild : children()) {
        if (!before.contains(pChild))
            m_windowObjects.append(pChild);
    }
    m_bHasWindow = true;
    m_bWasShown = true;
    OnInitDialog();
    return true;
}

void CPropertyPage::DestroyWindow()
{
    if (!m_bHasWindow)
        return;
    m_bHasWindow = false;
    // The layout first, so that deleting the controls does not make it re-lay out
    // widgets that are about to go as well.
    for (const QPointer<QObject>& pObject : std::as_const(m_windowObjects)) {
        if (qobject_cast<QLayout*>(pObject.data()))
            delete pObject.data();
    }
    for (const QPointer<QObject>& pObject : std::as_const(m_windowObjects))
        delete pObject.data();
    m_windowObjects.clear();
    m_bModified = false;
}

void CPropertyPage::DDX_Text(bool bSave, QLineEdit* pEdit, QString& strValue)
{
    if (bSave)
        strValue = pEdit->text();
    else
        pEdit->setText(strValue);
}

void CPropertyPage::DDX_Text(bool bSave, QLabel* pLabel, QString& strValue)
{
    if (bSave)
        strValue = pLabel->text();
    else
        pLabel->setText(strValue);
}

void CPropertyPage::DDX_Check(bool bSave, QCheckBox* pBox, int& nState)
{
    if (bSave) {
        switch (pBox->checkState()) {
        case Qt::Unchecked: nState = 0; break;
        case Qt::Checked: nState = 1; break;
        case Qt::PartiallyChecked: nState = 2; break;
        }
        return;
    }
    // Out-of-range values show as unchecked rather than as a state the box cannot hold.
    if (nState == 2)
        pBox->setCheckState(Qt::PartiallyChecked);
    else
        pBox->setCheckState(nState == 1 ? Qt::Checked : Qt::Unchecked);
}

namespace {

// An exclusive group refuses to uncheck its checked button; showing "no choice" needs
// the exclusivity lifted for a moment.
void UncheckExclusive(QAbstractButton* pButton)
{
    if (!pButton->isChecked())
        return;
    if (QButtonGroup* pGroup = pButton->group()) {
        const bool bExclusive = pGroup->exclusive();
        pGroup->setExclusive(false);
        pButton->setChecked(false);
        pGroup->setExclusive(bExclusive);
        return;
    }
    const bool bAuto = pButton->autoExclusive();
    pButton->setAutoExclusive(false);
    pButton->setChecked(false);
    pButton->setAutoExclusive(bAuto);
}

} // namespace

void CPropertyPage::DDX_Radio(bool bSave, const QList<QAbstractButton*>& buttons, int& nValue)
{
    if (bSave) {
        const auto it = std::find_if(buttons.begin(), buttons.end(),
                                     [](QAbstractButton* pButton) { return pButton->isChecked(); });
        nValue = it == buttons.end() ? -1 : int(it - buttons.begin());
        return;
    }
    if (nValue >= 0 && nValue < buttons.size()) {
        buttons.at(nValue)->setChecked(true);
        return;
    }
    for (QAbstractButton* pButton : buttons)
        UncheckExclusive(pButton);
}

void CPropertyPage::DDX_CBIndex(bool bSave, QComboBox* pCombo, int& nIndex)
{
    if (bSave)
        nIndex = pCombo->currentIndex();
    else
        pCombo->setCurrentIndex(nIndex >= 0 && nIndex < pCombo->count() ? nIndex : -1);
}
