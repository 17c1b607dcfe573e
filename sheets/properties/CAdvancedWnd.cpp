#include "sheets/properties/CAdvancedWnd.h"

#include "sheets/properties/CUserPropertySheet.h"
#include "store/CUser.h"
#include "ui_CAdvancedWnd.h"

namespace {
const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");
const QString kUnknown = QStringLiteral("-");
} // namespace

CAdvancedWnd::CAdvancedWnd(QWidget *pParent) : CPropertyPage(QStringLiteral("Advanced"), pParent)
{
    setObjectName(QStringLiteral("CAdvancedWnd"));
}

CAdvancedWnd::~CAdvancedWnd() = default;

void CAdvancedWnd::CreateControls()
{
    m_pUi = std::make_unique<Ui::CAdvancedWnd>();
    m_pUi->setupUi(this);
}

bool CAdvancedWnd::DoDataExchange(bool bSaveAndValidate)
{
    DDX_Text(bSaveAndValidate, m_pUi->userFileText, m_csUserFile);
    DDX_Text(bSaveAndValidate, m_pUi->notesText, m_csNotes);
    DDX_Text(bSaveAndValidate, m_pUi->notesExistText, m_csNotesExist);
    DDX_Text(bSaveAndValidate, m_pUi->notificationsText, m_csNotifications);
    if (bSaveAndValidate)
        m_csMoreInfo = m_pUi->moreInfoText->toPlainText();
    else
        m_pUi->moreInfoText->setPlainText(m_csMoreInfo);
    return true;
}

bool CAdvancedWnd::OnSetActive()
{
    UpdateFromUser();
    return CPropertyPage::OnSetActive();
}

QString CAdvancedWnd::Report(const QList<quint16> &missing)
{
    if (missing.isEmpty())
        return QStringLiteral("All is right.");
    QString csReport = QStringLiteral("Some note files are missing :\n");
    for (quint16 nNote : missing)
        csReport += QStringLiteral("note%1 doesn't exist !\n").arg(nNote);
    return csReport;
}

void CAdvancedWnd::UpdateFromUser()
{
    if (!HasWindow())
        return;
    const auto *pSheet = qobject_cast<CUserPropertySheet *>(GetSheet());
    const CUser *pUser = pSheet ? pSheet->GetUser() : nullptr;
    if (!pUser)
        return;
    m_csUserFile = pUser->UserFileExists() ? kYes : kNo;
    m_csNotifications = QString::number(pUser->CountNotifications());
    int nNotes = 0;
    QList<quint16> missing;
    if (pUser->CheckNotes(nNotes, missing)) {
        m_csNotes = QString::number(nNotes);
        m_csNotesExist = missing.isEmpty() ? kYes : kNo;
        m_csMoreInfo = Report(missing);
    } else {
        // Nothing is known of what waits: "All is right." would be a guess.
        m_csNotes = m_csNotesExist = m_csNotifications = kUnknown;
        m_csMoreInfo = QStringLiteral("The user's file could not be read, so the notes and "
                                      "notifications waiting for the user are not known.");
    }
    UpdateData(false);
}
