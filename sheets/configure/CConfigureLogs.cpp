#include "sheets/configure/CConfigureLogs.h"

#include "sheets/configure/CConfigureTarget.h"
#include "sheets/configure/CLogFileViewer.h"
#include "store/CParameters.h"
#include "store/CUser.h"
#include "ui_CConfigureLogs.h"

#include <QCheckBox>

#include <array>
#include <utility>

namespace {

// Each box's member and the bit it stands for in UseLogFile.
std::array<std::pair<int CConfigureLogs::*, quint16>, 6> BitMembers()
{
    return {{
        {&CConfigureLogs::m_nLogParameters, CParameters::LogParameters},
        {&CConfigureLogs::m_nLogStartEnd, CParameters::LogStartEnd},
        {&CConfigureLogs::m_nLogSharedDirectory, CParameters::LogSharedDirectory},
        {&CConfigureLogs::m_nLogTooltips, CParameters::LogTooltips},
        {&CConfigureLogs::m_nLogErrors, CParameters::LogErrors},
        {&CConfigureLogs::m_nForceForeignNotes, CParameters::ForceForeignNotes},
    }};
}

} // namespace

CConfigureLogs::CConfigureLogs(CConfigureTarget *pTarget, QWidget *pParent)
    : CPropertyPage(QStringLiteral("Log / Debug"), pParent), m_pTarget(pTarget)
{
}

CConfigureLogs::~CConfigureLogs() = default;

void CConfigureLogs::CreateControls()
{
    m_pUi = std::make_unique<Ui::CConfigureLogs>();
    m_pUi->setupUi(this);
    connect(m_pUi->showLogButton, &QPushButton::clicked, this, &CConfigureLogs::OnShowLogFile);
    connect(m_pUi->clearLogButton, &QPushButton::clicked, this, &CConfigureLogs::OnClearLogFile);
}

bool CConfigureLogs::DoDataExchange(bool bSaveAndValidate)
{
    DDX_Check(bSaveAndValidate, m_pUi->parametersCheck, m_nLogParameters);
    DDX_Check(bSaveAndValidate, m_pUi->startEndCheck, m_nLogStartEnd);
    DDX_Check(bSaveAndValidate, m_pUi->sharedDirCheck, m_nLogSharedDirectory);
    DDX_Check(bSaveAndValidate, m_pUi->tooltipsCheck, m_nLogTooltips);
    DDX_Check(bSaveAndValidate, m_pUi->errorsCheck, m_nLogErrors);
    DDX_Check(bSaveAndValidate, m_pUi->foreignNotesCheck, m_nForceForeignNotes);
    return true;
}

bool CConfigureLogs::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser)
        return false;
    const bool bReadable = m_pTarget->CanReadUserFile();
    const quint16 bits = pUser->GetUseLogFile();
    for (const auto &[member, bit] : BitMembers())
        this->*member = (bits & bit) ? 1 : 0;
    m_bRead = m_pTarget->EndRead(bReadable, windowTitle());
    // The log buttons still work; only the switches have no value to show.
    if (!m_bRead)
        for (QCheckBox *pCheck : findChildren<QCheckBox *>())
            pCheck->setEnabled(false);
    UpdateData(false);
    return true;
}

bool CConfigureLogs::OnApply()
{
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser)
        return false;
    // Defaults shown for values that could not be read are no request.
    if (!m_bRead)
        return CPropertyPage::OnApply();
    quint16 bits = 0;
    for (const auto &[member, bit] : BitMembers()) {
        if (this->*member != 0)
            bits |= bit;
    }
    m_pTarget->Note(pUser->SetUseLogFile(bits));
    return CPropertyPage::OnApply();
}

void CConfigureLogs::OnShowLogFile()
{
    if (CUser *pUser = m_pTarget->GetUser())
        CLogFileViewer::FetchAndShow(this, *pUser);
    else
        m_pTarget->ExplainUser();
}

void CConfigureLogs::OnClearLogFile()
{
    if (CUser *pUser = m_pTarget->GetUser())
        CLogFileViewer::ClearLogFile(this, *pUser);
    else
        m_pTarget->ExplainUser();
}
