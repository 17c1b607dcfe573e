#include "sheets/properties/CUpgradeWnd.h"

#include "platform/CodePage.h"
#include "store/CPendingNotes.h"
#include "ui_CUpgradeWnd.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/GlobalVarsForDll.h"

#include <QStyle>

namespace {

void SetRadio(QRadioButton *pButton, bool bChecked)
{
    if (bChecked || !pButton->isChecked()) {
        pButton->setChecked(bChecked);
        return;
    }
    // Automatic radio buttons refuse to be cleared one by one.
    pButton->setAutoExclusive(false);
    pButton->setChecked(false);
    pButton->setAutoExclusive(true);
}

// Why the directory cannot travel in the request ("" when it can).
QString CheckDirectory(const QString &csDirectory)
{
    const std::optional<QByteArray> bytes = CodePage::Encode(csDirectory);
    if (!bytes)
        return QStringLiteral("The directory \"%1\" holds characters that the clients' code "
                              "page (%2) cannot hold: %3\nChoose a directory whose name the "
                              "clients can read.")
            .arg(csDirectory, CodePage::CurrentName(), CodePage::Unencodable(csDirectory));
    if (const QString why = CPendingNotes::CheckUpgradeValue(*bytes); !why.isEmpty())
        return QStringLiteral("The directory cannot be written into the users' files, so no "
                              "client could find it:\n%1\nType the directory on one line.")
            .arg(why);
    return QString();
}

} // namespace

CUpgradeWnd::CUpgradeWnd(QWidget *pParent) : CPropertyPage(QStringLiteral("Upgrade"), pParent)
{
    setObjectName(QStringLiteral("CUpgradeWnd"));
}

CUpgradeWnd::~CUpgradeWnd() = default;

void CUpgradeWnd::CreateControls()
{
    m_pUi = std::make_unique<Ui::CUpgradeWnd>();
    m_pUi->setupUi(this);
    // Room for a server path; the button only needs its three dots.
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    m_pUi->browseButton->setFixedWidth(m_pUi->browseButton->fontMetrics().horizontalAdvance(
                                           QStringLiteral("...."))
                                       + 2 * style()->pixelMetric(QStyle::PM_ButtonMargin));
    connect(m_pUi->nowRadio, &QRadioButton::clicked, this, &CUpgradeWnd::SaveMode);
    connect(m_pUi->restartRadio, &QRadioButton::clicked, this, &CUpgradeWnd::SaveMode);
    connect(m_pUi->browseButton, &QPushButton::clicked, this, &CUpgradeWnd::OnBrowse);
}

bool CUpgradeWnd::DoDataExchange(bool bSaveAndValidate)
{
    if (!bSaveAndValidate) {
        SetRadio(m_pUi->nowRadio, m_nNow != 0);
        SetRadio(m_pUi->restartRadio, m_nNow == 0 && m_nRestart != 0);
        m_pUi->directoryEdit->setText(m_csDirectory);
        return true;
    }
    SaveMode();
    const QString csDirectory = m_pUi->directoryEdit->text();
    if (const QString why = CheckDirectory(csDirectory); !why.isEmpty()) {
        CAppMessageBox::Exclamation(this, why);
        m_pUi->directoryEdit->setFocus();
        m_pUi->directoryEdit->selectAll();
        return false;
    }
    m_csDirectory = csDirectory;
    return true;
}

void CUpgradeWnd::SaveMode()
{
    m_nNow = m_pUi->nowRadio->isChecked() ? 1 : 0;
    m_nRestart = m_pUi->restartRadio->isChecked() ? 1 : 0;
}

void CUpgradeWnd::OnBrowse()
{
    QString csPath = m_pUi->directoryEdit->text();
    if (!GlobalVarsForDll::GetPath(QString(), this, csPath))
        return;
    m_pUi->directoryEdit->setText(csPath);
    m_csDirectory = csPath;
}

QByteArray CUpgradeWnd::GetModeText() const
{
    if (m_nNow)
        return QByteArrayLiteral("now");
    if (m_nRestart)
        return QByteArrayLiteral("at-restart");
    return QByteArray();
}

QByteArray CUpgradeWnd::GetDirectoryText() const
{
    // DoDataExchange let only a directory the code page can hold through.
    return CodePage::Encode(m_csDirectory).value_or(QByteArray());
}

QByteArray CUpgradeWnd::GetRequestValue() const
{
    return CPendingNotes::UpgradeValue(GetModeText(), GetDirectoryText());
}
