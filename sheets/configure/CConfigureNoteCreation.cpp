#include "sheets/configure/CConfigureNoteCreation.h"

#include "platform/ProfileFile.h"
#include "sheets/configure/CConfigureTarget.h"
#include "sheets/configure/CConfigureText.h"
#include "store/CUser.h"
#include "ui_CConfigureNoteCreation.h"

namespace {
// The name's bytes, so that writing it back does not depend on decoding.
constexpr int kNameRole = Qt::UserRole;
} // namespace

CConfigureNoteCreation::CConfigureNoteCreation(CConfigureTarget *pTarget, QWidget *pParent)
    : CPropertyPage(QStringLiteral("Note creation"), pParent), m_pTarget(pTarget)
{
}

CConfigureNoteCreation::~CConfigureNoteCreation() = default;

void CConfigureNoteCreation::CreateControls()
{
    m_pUi = std::make_unique<Ui::CConfigureNoteCreation>();
    m_pUi->setupUi(this);
    m_pModelList = m_pUi->modelCombo;
}

bool CConfigureNoteCreation::DoDataExchange(bool bSaveAndValidate)
{
    DDX_Radio(bSaveAndValidate, {m_pUi->textRadio, m_pUi->audioRadio, m_pUi->modelRadio},
              m_nNoteType);
    return true;
}

bool CConfigureNoteCreation::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser)
        return false;
    const bool bReadable = m_pTarget->CanReadUserFile();
    m_nNoteType = pUser->GetNewNoteType();
    QList<QByteArray> models;
    pUser->GetActiveModels(models);
    for (const QByteArray &name : std::as_const(models))
        AddModel(name);
    m_pModelList->setCurrentIndex(FindModel(pUser->GetDefaultModel()));
    m_bRead = m_pTarget->EndRead(bReadable, windowTitle());
    // No value here is the client's: nothing to choose from.
    if (!m_bRead)
        setEnabled(false);
    UpdateData(false);
    return true;
}

bool CConfigureNoteCreation::OnApply()
{
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser)
        return false;
    // Defaults shown for values that could not be read are no request.
    if (!m_bRead)
        return CPropertyPage::OnApply();
    m_pTarget->Note(pUser->SetNewNoteType(m_nNoteType));
    const int nSel = m_pModelList->currentIndex();
    m_pTarget->Note(pUser->SetDefaultModel(
        nSel >= 0 ? m_pModelList->itemData(nSel, kNameRole).toByteArray() : QByteArray()));
    return CPropertyPage::OnApply();
}

void CConfigureNoteCreation::AddModel(const QByteArray &name)
{
    const QString csText = CConfigureText::Decode(name);
    int nPos = 0;
    while (nPos < m_pModelList->count()
           && m_pModelList->itemText(nPos).compare(csText, Qt::CaseInsensitive) <= 0)
        ++nPos;
    m_pModelList->insertItem(nPos, csText, name);
}

int CConfigureNoteCreation::FindModel(const QByteArray &name) const
{
    if (name.isEmpty())
        return -1;
    const QByteArray folded = ProfileFile::FoldName(name);
    for (int nIndex = 0; nIndex < m_pModelList->count(); ++nIndex) {
        if (ProfileFile::FoldName(m_pModelList->itemData(nIndex, kNameRole).toByteArray())
            == folded)
            return nIndex;
    }
    return -1;
}
