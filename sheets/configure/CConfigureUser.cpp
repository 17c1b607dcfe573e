#include "sheets/configure/CConfigureUser.h"

#include "sheets/configure/CConfigureTarget.h"
#include "sheets/configure/CConfigureText.h"
#include "store/CParameters.h"
#include "store/CUser.h"
#include "ui_CConfigureUser.h"

#include <QValidator>

#include <algorithm>

namespace {

// An upper-case edit: what is typed or pasted into it shows in capitals.
class CUpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &nPos) const override
    {
        input = input.toUpper();
        nPos = std::min(nPos, int(input.size()));
        return Acceptable;
    }
};

} // namespace

// The tab caption keeps the blanks of the original template: they widen the
// first tab.
CConfigureUser::CConfigureUser(CConfigureTarget *pTarget, QWidget *pParent)
    : CPropertyPage(QStringLiteral("Users       "), pParent), m_pTarget(pTarget)
{
}

CConfigureUser::~CConfigureUser() = default;

void CConfigureUser::CreateControls()
{
    m_pUi = std::make_unique<Ui::CConfigureUser>();
    m_pUi->setupUi(this);
    // The client keeps the code in a 255-byte buffer.
    m_pUi->codeEdit->setMaxLength(int(CParameters::TextLimit));
    m_pUi->nameEdit->setValidator(new CUpperCaseValidator(m_pUi->nameEdit));
}

bool CConfigureUser::DoDataExchange(bool bSaveAndValidate)
{
    if (bSaveAndValidate
        && !CConfigureText::Validate(this, m_pUi->codeEdit, QStringLiteral("Your code"),
                                    m_code))
        return false;
    DDX_Text(bSaveAndValidate, m_pUi->codeEdit, m_csCode);
    DDX_Text(bSaveAndValidate, m_pUi->nameEdit, m_csName);
    DDX_Text(bSaveAndValidate, m_pUi->fullNameEdit, m_csFullName);
    DDX_Check(bSaveAndValidate, m_pUi->confidentialCheck, m_nConfidential);
    return true;
}

bool CConfigureUser::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser)
        return false;
    const bool bReadable = m_pTarget->CanReadUserFile();
    m_csName = CConfigureText::Decode(pUser->GetLogin()).toUpper();
    m_csFullName = CConfigureText::Decode(pUser->GetFullName());
    m_code = pUser->GetYourKey();
    m_csCode = CConfigureText::Decode(m_code);
    // Any value other than 0 switches confidential mode on at the client.
    m_nConfidential = pUser->GetReceiveNotesInConfidential() != 0 ? 1 : 0;
    m_bRead = m_pTarget->EndRead(bReadable, windowTitle());
    // No value here is the client's: nothing to choose from.
    if (!m_bRead)
        setEnabled(false);
    UpdateData(false);
    return true;
}

bool CConfigureUser::OnApply()
{
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser)
        return false;
    // Defaults shown for values that could not be read are no request.
    if (!m_bRead)
        return CPropertyPage::OnApply();
    // DoDataExchange let only a code the code page can hold through.
    if (const std::optional<QByteArray> code = CConfigureText::Encode(m_csCode, m_code))
        m_pTarget->Note(pUser->SetYourKey(*code));
    m_pTarget->Note(pUser->SetReceiveNotesInConfidential(m_nConfidential == 1 ? 1 : 0));
    return CPropertyPage::OnApply();
}
