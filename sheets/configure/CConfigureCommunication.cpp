#include "sheets/configure/CConfigureCommunication.h"

#include "sheets/configure/CConfigureTarget.h"
#include "sheets/configure/CConfigureText.h"
#include "store/CParameters.h"
#include "store/CShareDirectory.h"
#include "store/CUser.h"
#include "ui_CConfigureCommunication.h"

CConfigureCommunication::CConfigureCommunication(CConfigureTarget *pTarget, QWidget *pParent)
    : CPropertyPage(QStringLiteral("Communications"), pParent), m_pTarget(pTarget)
{
}

CConfigureCommunication::~CConfigureCommunication() = default;

void CConfigureCommunication::CreateControls()
{
    m_pUi = std::make_unique<Ui::CConfigureCommunication>();
    m_pUi->setupUi(this);
}

bool CConfigureCommunication::DoDataExchange(bool bSaveAndValidate)
{
    if (bSaveAndValidate
        && !CConfigureText::Validate(this, m_pUi->directoryEdit, QStringLiteral("The directory")))
        return false;
    // "Manual" stands outside the value group: the client has no number for it.
    DDX_Radio(bSaveAndValidate, {m_pUi->lowRadio, m_pUi->mediumRadio, m_pUi->highRadio},
              m_nRefreshRate);
    DDX_Text(bSaveAndValidate, m_pUi->directoryEdit, m_csDirectory);
    DDX_Radio(bSaveAndValidate, {m_pUi->noCommRadio, m_pUi->sharedDirRadio}, m_nCommMode);
    return true;
}

bool CConfigureCommunication::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser)
        return false;
    const bool bReadable = m_pTarget->CanReadUserFile();
    m_nCommMode = pUser->GetCommMode();
    // The directory the tool itself works on is the one to offer: the client
    // does not report its own.
    m_csDirectory = g_shareDirectory.Get();
    m_nRefreshRate = pUser->GetRefreshRate();
    m_bRead = m_pTarget->EndRead(bReadable, windowTitle());
    // No value here is the client's: nothing to choose from.
    if (!m_bRead)
        setEnabled(false);
    UpdateData(false);
    return true;
}

bool CConfigureCommunication::OnApply()
{
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser)
        return false;
    // Defaults shown for values that could not be read are no request.
    if (!m_bRead)
        return CPropertyPage::OnApply();
    m_pTarget->Note(pUser->SetCommMode(m_nCommMode));
    // DoDataExchange let only a directory the code page can hold through.
    if (const std::optional<QByteArray> directory = CConfigureText::Encode(m_csDirectory))
        m_pTarget->Note(pUser->SetSharedDir(*directory));
    m_pTarget->Note(pUser->SetRefreshRate(m_nRefreshRate));
    return CPropertyPage::OnApply();
}
