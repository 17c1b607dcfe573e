#include "sheets/properties/CGeneralWnd.h"

#include "platform/CodePage.h"
#include "sheets/properties/CPropertyIcons.h"
#include "sheets/properties/CUserPropertySheet.h"
#include "store/CUser.h"
#include "ui_CGeneralWnd.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

QString Text(const CUser &user, int nColumn)
{
    return CodePage::Decode(user.GetColumnText(nColumn));
}

} // namespace

CGeneralWnd::CGeneralWnd(QWidget *pParent) : CPropertyPage(QStringLiteral("General"), pParent)
{
    setObjectName(QStringLiteral("CGeneralWnd"));
}

CGeneralWnd::~CGeneralWnd() = default;

QSize CGeneralWnd::TemplateSize(const QFont &font)
{
    // Dialog units of the page templates: a quarter of the average letter
    // width, an eighth of the line height.
    const QFontMetrics metrics(font);
    const QString csLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int nBaseX = (metrics.horizontalAdvance(csLetters) / 26 + 1) / 2;
    return {235 * nBaseX / 4, 170 * metrics.height() / 8};
}

void CGeneralWnd::CreateControls()
{
    m_pUi = std::make_unique<Ui::CGeneralWnd>();
    m_pUi->setupUi(this);
    int nIconWidth = 0;
    for (int nIcon = 0; nIcon < CPropertyIcons::ConnectionIconCount; ++nIcon) {
        Icon(nIcon)->setPixmap(CPropertyIcons::ConnectionPixmap(nIcon));
        // The icons' place stays when none is shown (no user yet), so the
        // connection fields keep in line with the version fields.
        QSizePolicy policy = Icon(nIcon)->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        Icon(nIcon)->setSizePolicy(policy);
        nIconWidth = std::max({nIconWidth, Icon(nIcon)->sizeHint().width(),
                               Icon(nIcon)->minimumWidth()});
    }
    // The version fields end where the connection fields do, left of the icons.
    // A spacer gets no spacing before it, so it takes that width too.
    m_pUi->versionIconSpace->changeSize(
        nIconWidth + std::max(0, m_pUi->connectionLayout->horizontalSpacing()), 0,
        QSizePolicy::Fixed, QSizePolicy::Minimum);
    // The labels stand in three grids and two boxes; one width lines the
    // fields up under each other.
    const QList<QLabel *> labels = {m_pUi->loginLabel, m_pUi->fullNameLabel, m_pUi->logonLabel,
                                    m_pUi->logoffLabel, m_pUi->previousLabel, m_pUi->currentLabel,
                                    m_pUi->osLabel, m_pUi->languageLabel, m_pUi->installLabel};
    int nWidth = 0;
    for (QLabel *pLabel : labels)
        nWidth = std::max(nWidth, pLabel->sizeHint().width());
    for (QLabel *pLabel : labels)
        pLabel->setMinimumWidth(nWidth);
    const int nBoxIndent = m_pUi->connectionBox->contentsMargins().left()
                           + m_pUi->connectionLayout->contentsMargins().left();
    m_pUi->loginLabel->setMinimumWidth(nWidth + nBoxIndent);
    m_pUi->fullNameLabel->setMinimumWidth(nWidth + nBoxIndent);
    m_pUi->osLabel->setMinimumWidth(nWidth + nBoxIndent);
    m_pUi->languageLabel->setMinimumWidth(nWidth + nBoxIndent);
    m_pUi->installLabel->setMinimumWidth(nWidth + nBoxIndent);
}

bool CGeneralWnd::DoDataExchange(bool bSaveAndValidate)
{
    DDX_Text(bSaveAndValidate, m_pUi->loginText, m_csLogin);
    DDX_Text(bSaveAndValidate, m_pUi->fullNameText, m_csFullName);
    DDX_Text(bSaveAndValidate, m_pUi->logonText, m_csLogonTime);
    DDX_Text(bSaveAndValidate, m_pUi->logoffText, m_csLogoffTime);
    DDX_Text(bSaveAndValidate, m_pUi->previousText, m_csPreviousVersion);
    DDX_Text(bSaveAndValidate, m_pUi->currentText, m_csCurrentVersion);
    DDX_Text(bSaveAndValidate, m_pUi->osText, m_csOS);
    DDX_Text(bSaveAndValidate, m_pUi->languageText, m_csLanguage);
    DDX_Text(bSaveAndValidate, m_pUi->installText, m_csInstallTime);
    return true;
}

bool CGeneralWnd::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    HideIcons();
    return true;
}

bool CGeneralWnd::OnSetActive()
{
    UpdateFromUser();
    return CPropertyPage::OnSetActive();
}

QLabel *CGeneralWnd::Icon(int nIcon) const
{
    switch (nIcon) {
    case CPropertyIcons::IconConnected: return m_pUi->connectedIcon;
    case CPropertyIcons::IconDisconnected: return m_pUi->disconnectedIcon;
    case CPropertyIcons::IconUnknown: return m_pUi->unknownIcon;
    case CPropertyIcons::IconDeleted: return m_pUi->deletedIcon;
    default: return nullptr;
    }
}

void CGeneralWnd::HideIcons()
{
    for (int nIcon = 0; nIcon < CPropertyIcons::ConnectionIconCount; ++nIcon)
        Icon(nIcon)->setVisible(false);
}

int CGeneralWnd::GetShownIcon() const
{
    if (!HasWindow())
        return -1;
    for (int nIcon = 0; nIcon < CPropertyIcons::ConnectionIconCount; ++nIcon)
        if (!Icon(nIcon)->isHidden())
            return nIcon;
    return -1;
}

void CGeneralWnd::UpdateFromUser()
{
    if (!HasWindow())
        return;
    const auto *pSheet = qobject_cast<CUserPropertySheet *>(GetSheet());
    const CUser *pUser = pSheet ? pSheet->GetUser() : nullptr;
    if (!pUser)
        return;
    m_csLogin = CodePage::Decode(pUser->GetLogin());
    m_csFullName = CodePage::Decode(pUser->GetFullName());
    m_csLogonTime = Text(*pUser, CUser::ColLogon);
    m_csLogoffTime = Text(*pUser, CUser::ColLogoff);

    HideIcons();
    if (pUser->IsDeleted()) {
        Icon(CPropertyIcons::IconDeleted)->setVisible(true);
    } else {
        switch (pUser->GetConnectionState()) {
        case CUser::Connected: Icon(CPropertyIcons::IconConnected)->setVisible(true); break;
        case CUser::NotConnected: Icon(CPropertyIcons::IconDisconnected)->setVisible(true); break;
        case CUser::Undetermined: Icon(CPropertyIcons::IconUnknown)->setVisible(true); break;
        }
    }

    m_csCurrentVersion = Text(*pUser, CUser::ColVersion);
    m_csPreviousVersion = Text(*pUser, CUser::ColOldVersion);
    m_csOS = Text(*pUser, CUser::ColOS);
    m_csLanguage = Text(*pUser, CUser::ColLanguage);
    m_csInstallTime = Text(*pUser, CUser::ColLastInstall);
    UpdateData(false);
}
