#include "sheets/configure/CEditModelsDlg.h"

#include "framework/CCheckListBox.h"
#include "platform/ProfileFile.h"
#include "sheets/configure/CConfigureText.h"
#include "store/CAdminDoc.h"
#include "store/CUser.h"
#include "ui_CEditModelsDlg.h"

namespace {
// The model's name as bytes, written back as it was read.
constexpr int kNameRole = Qt::UserRole + 10;
constexpr int kUnchecked = 0;
constexpr int kChecked = 1;
constexpr int kMixed = 2;
} // namespace

CEditModelsDlg::CEditModelsDlg(CConfigureTarget *pTarget, QWidget *pParent)
    : QDialog(pParent), m_pTarget(pTarget), m_pUi(std::make_unique<Ui::CEditModelsDlg>())
{
    m_pUi->setupUi(this);
    m_pModelList = m_pUi->modelList;
    // Three states: mixed marks what the client already has, so the
    // administrator sees which models a request would add, and can get that
    // mark back after a stray click.
    m_pModelList->SetCheckStyle(CCheckListBox::ThreeState);
    m_pModelList->SetSorted(true);
    connect(m_pUi->uploadButton, &QPushButton::clicked, this, &CEditModelsDlg::OnUpload);
    connect(m_pUi->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CEditModelsDlg::~CEditModelsDlg() = default;

bool CEditModelsDlg::OnInitDialog()
{
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser)
        return false;
    QList<QByteArray> active;
    pUser->GetActiveModels(active);
    for (const QByteArray &name : std::as_const(active)) {
        const int nIndex = AddModel(name);
        m_pModelList->SetCheck(nIndex, kMixed);
        m_pModelList->item(nIndex)->setToolTip(tr("The client has this model."));
    }
    CAdminDoc *pDoc = m_pTarget->GetDocument();
    if (!pDoc)
        return false;
    QList<QByteArray> files;
    pDoc->ListModels(files);
    for (const QByteArray &name : std::as_const(files)) {
        if (!name.isEmpty() && FindModel(name) < 0)
            m_pModelList->SetCheck(AddModel(name), kUnchecked);
    }
    return true;
}

int CEditModelsDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

void CEditModelsDlg::OnUpload()
{
    CUser *pUser = m_pTarget->GetUser();
    if (!pUser) {
        m_pTarget->ExplainUser();
        return;
    }
    for (int nIndex = 0; nIndex < m_pModelList->GetCount(); ++nIndex) {
        if (m_pModelList->GetCheck(nIndex) == kChecked)
            m_pTarget->Note(pUser->SetModel(
                m_pModelList->item(nIndex)->data(kNameRole).toByteArray(), 1));
    }
    accept();
}

int CEditModelsDlg::FindModel(const QByteArray &name) const
{
    const QByteArray folded = ProfileFile::FoldName(name);
    for (int nIndex = 0; nIndex < m_pModelList->GetCount(); ++nIndex) {
        if (ProfileFile::FoldName(m_pModelList->item(nIndex)->data(kNameRole).toByteArray())
            == folded)
            return nIndex;
    }
    return -1;
}

int CEditModelsDlg::AddModel(const QByteArray &name)
{
    const int nIndex = m_pModelList->AddString(CConfigureText::Decode(name));
    m_pModelList->item(nIndex)->setData(kNameRole, name);
    return nIndex;
}

int CEditModelsDlg::Run(QWidget *pParent, CAdminDoc *pDoc, CConfigureTarget::Object object,
                        CConfigureTarget::StatusSink status)
{
    CConfigureTarget target(pDoc, object, std::move(status));
    target.ExplainUser();
    int nResult = QDialog::Rejected;
    {
        CEditModelsDlg dlg(&target, pParent);
        nResult = dlg.DoModal();
    }
    target.Report(pParent);
    return nResult == QDialog::Accepted ? IDOK : IDCANCEL;
}
