#include "CPropertySheet.h"

#include "CPropertyPage.h"

#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

CPropertySheet::CPropertySheet(const QString& strCaption, QWidget* pParent, int nSelectPage)
    : QDialog(pParent)
    , m_nStartPage(nSelectPage)
{
    setWindowTitle(strCaption);

    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName(QStringLiteral("propertySheetTabs"));
    m_pButtonBox = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    m_pOk = m_pButtonBox->button(QDialogButtonBox::Ok);
    m_pCancel = m_pButtonBox->button(QDialogButtonBox::Cancel);
    m_pApply = m_pButtonBox->button(QDialogButtonBox::Apply);
    m_pOk->setObjectName(QStringLiteral("IDOK"));
    m_pCancel->setObjectName(QStringLiteral("IDCANCEL"));
    m_pApply->setObjectName(QStringLiteral("ID_APPLY_NOW"));
    m_pOk->setDefault(true);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pTabs);
    pLayout->addWidget(m_pButtonBox);

    connect(m_pTabs, &QTabWidget::currentChanged, this, &CPropertySheet::OnTabChanged);
    connect(m_pOk, &QPushButton::clicked, this, &CPropertySheet::OnOk);
    connect(m_pCancel, &QPushButton::clicked, this, &CPropertySheet::reject);
    connect(m_pApply, &QPushButton::clicked, this, &CPropertySheet::ApplyPages);
    UpdateButtons();
}

CPropertySheet::~CPropertySheet()
{
    // QWidget's destructor deletes the pages that are still children, and removing their
    // tabs would call back into this half-destroyed object.
    disconnect(m_pTabs, nullptr, this, nullptr);
    for (CPropertyPage* pPage : std::as_const(m_pages))
        pPage->AttachToSheet(nullptr);
    m_pages.clear();
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (!pPage || m_pages.contains(pPage))
        return;
    m_pages.append(pPage);
    pPage->AttachToSheet(this);
    connect(pPage, &QWidget::windowTitleChanged, this, [this, pPage](const QString& strTitle) {
        if (const int nIndex = GetPageIndex(pPage); nIndex >= 0)
            m_pTabs->setTabText(nIndex, strTitle);
    });
    // Adding the first tab makes it current, which activates it when a window exists.
    m_pTabs->addTab(pPage, pPage->windowTitle());
    UpdateButtons();
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < m_pages.size() ? m_pages.at(nPage) : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* pPage) const
{
    return int(m_pages.indexOf(const_cast<CPropertyPage*>(pPage)));
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    return GetPage(GetActiveIndex());
}

int CPropertySheet::GetActiveIndex() const
{
    return m_bHasWindow ? m_nActive : ClampedStartPage();
}

int CPropertySheet::ClampedStartPage() const
{
    if (m_pages.isEmpty())
        return -1;
    return std::clamp(m_nStartPage, 0, int(m_pages.size()) - 1);
}

bool CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= m_pages.size())
        return false;
    if (!m_bHasWindow) {
        m_nStartPage = nPage;
        ShowTab(nPage);
        return true;
    }
    m_pTabs->setCurrentIndex(nPage);
    return m_nActive == nPage;
}

bool CPropertySheet::SetActivePage(CPropertyPage* pPage)
{
    return SetActivePage(GetPageIndex(pPage));
}

void CPropertySheet::SetApplyButton(bool bShow)
{
    m_bApplyButton = bShow;
    UpdateButtons();
}

void CPropertySheet::SetModelessButtons(bool bShow)
{
    m_bModelessButtons = bShow;
    UpdateButtons();
}

int CPropertySheet::DoModal()
{
    if (m_bHasWindow)
        return -1;
    m_bModal = true;
    m_nResult = IDCANCEL;
    CreateSheetWindow();
    const QPointer<CPropertySheet> pGuard(this);
    exec();
    if (!pGuard)
        return IDCANCEL;
    DestroyWindow();
    m_bModal = false;
    return m_nResult;
}

bool CPropertySheet::Create(bool bVisible)
{
    if (m_bHasWindow && m_bModal)
        return false;
    if (!m_bHasWindow) {
        m_bModal = false;
        CreateSheetWindow();
    }
    if (bVisible)
        show();
    return true;
}

void CPropertySheet::DestroyWindow()
{
    if (!m_bHasWindow)
        return;
    m_bHasWindow = false;
    // The next window opens where the administrator left this one.
    if (m_nActive >= 0)
        m_nStartPage = m_nActive;
    m_nActive = -1;
    if (isVisible()) {
        if (m_bModal)
            QDialog::reject();
        else
            hide();
    }
    for (CPropertyPage* pPage : std::as_const(m_pages))
        pPage->DestroyWindow();
    UpdateButtons();
}

void CPropertySheet::reject()
{
    if (!m_bHasWindow) {
        QDialog::reject();
        return;
    }
    CancelPages();
    CloseWindow(IDCANCEL);
}

void CPropertySheet::PageDestroyed(CPropertyPage* pPage)
{
    const int nIndex = GetPageIndex(pPage);
    if (nIndex < 0)
        return;
    m_pages.removeAt(nIndex);
    disconnect(pPage, nullptr, this, nullptr);
    {
        const QSignalBlocker blocker(m_pTabs);
        m_pTabs->removeTab(nIndex);
    }
    if (nIndex < m_nStartPage)
        --m_nStartPage;
    if (nIndex < m_nActive) {
        --m_nActive;
    } else if (nIndex == m_nActive) {
        m_nActive = -1;
        // Not now: this may run while a sheet subclass is being torn down, and the
        // page that becomes current may call back into it.
        QTimer::singleShot(0, this, [this] {
            if (m_bHasWindow && m_nActive < 0 && m_pTabs->currentIndex() >= 0)
                ActivatePage(m_pTabs->currentIndex(), -1);
        });
    }
    UpdateButtons();
}

void CPropertySheet::CreateSheetWindow()
{
    m_bHasWindow = true;
    m_nResult = IDCANCEL;
    for (CPropertyPage* pPage : std::as_const(m_pages))
        pPage->ResetShown();
    UpdateButtons();
    m_nActive = -1;
    const int nStart = ClampedStartPage();
    if (nStart >= 0) {
        ShowTab(nStart);
        ActivatePage(nStart, -1);
    }
}

void CPropertySheet::OnTabChanged(int nIndex)
{
    if (!m_bHasWindow || nIndex < 0 || nIndex >= m_pages.size() || nIndex == m_nActive)
        return;
    const int nPrevious = m_nActive;
    if (CPropertyPage* pOld = GetPage(nPrevious); pOld && pOld->HasWindow() && !pOld->OnKillActive()) {
        ShowTab(nPrevious);
        return;
    }
    ActivatePage(nIndex, nPrevious);
}

void CPropertySheet::ActivatePage(int nPage, int nPrevious)
{
    CPropertyPage* pPage = GetPage(nPage);
    if (!pPage)
        return;
    m_nActive = nPage;
    pPage->EnsureWindow();
    if (pPage->OnSetActive() || nPrevious < 0 || nPrevious == nPage || !GetPage(nPrevious))
        return;
    // The page refused: go back to the page the administrator came from.
    m_nActive = nPrevious;
    ShowTab(nPrevious);
    GetPage(nPrevious)->OnSetActive();
}

void CPropertySheet::ShowTab(int nPage)
{
    const QSignalBlocker blocker(m_pTabs);
    m_pTabs->setCurrentIndex(nPage);
}

bool CPropertySheet::ApplyPages()
{
    if (!m_bHasWindow)
        return false;
    // The page on screen is left as a tab switch would leave it, so that what the
    // administrator typed is validated where it was typed.
    if (CPropertyPage* pActive = GetPage(m_nActive); pActive && pActive->HasWindow() && !pActive->OnKillActive())
        return false;
    for (int nPage = 0; nPage < m_pages.size(); ++nPage) {
        CPropertyPage* pPage = m_pages.at(nPage);
        if (!pPage->HasWindow())
            continue;
        if (pPage->UpdateData(true) && pPage->OnApply())
            continue;
        // What the pages before this one applied stays applied; this page and the
        // ones after it wait for the administrator.
        if (nPage != m_nActive) {
            ShowTab(nPage);
            m_nActive = nPage;
            pPage->OnSetActive();
        }
        return false;
    }
    for (CPropertyPage* pPage : std::as_const(m_pages))
        pPage->SetModified(false);
    return true;
}

void CPropertySheet::CancelPages()
{
    for (CPropertyPage* pPage : std::as_const(m_pages)) {
        if (!pPage->HasWindow())
            continue;
        pPage->OnCancel();
        // A hidden sheet keeps its controls; what Cancel discarded must not be on
        // screen the next time it is shown.
        if (!m_bModal && m_bHideOnClose)
            pPage->UpdateData(false);
        pPage->SetModified(false);
    }
}

void CPropertySheet::OnOk()
{
    if (ApplyPages())
        CloseWindow(IDOK);
}

void CPropertySheet::CloseWindow(int nResult)
{
    m_nResult = nResult;
    if (m_bModal) {
        if (nResult == IDOK)
            QDialog::accept();
        else
            QDialog::reject();
    } else if (m_bHideOnClose) {
        hide();
    } else {
        DestroyWindow();
    }
    Q_EMIT SheetClosed(nResult);
}

bool CPropertySheet::IsAnyPageModified() const
{
    return std::any_of(m_pages.begin(), m_pages.end(),
                       [](const CPropertyPage* pPage) { return pPage->IsModified(); });
}

void CPropertySheet::UpdateButtons()
{
    // Only a running window decides; without one the modal layout is the one to keep.
    const bool bButtons = !m_bHasWindow || m_bModal || m_bModelessButtons;
    m_pButtonBox->setVisible(bButtons);
    m_pApply->setVisible(m_bApplyButton);
    m_pApply->setEnabled(m_bHasWindow && IsAnyPageModified());
}
