#include "sheets/properties/CCodePageWnd.h"

#include "platform/CodePage.h"
#include "ui_CCodePageWnd.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CClientCodePage.h"

#include <QHash>

CCodePageWnd::CCodePageWnd(QWidget *pParent)
    : CPropertyPage(QStringLiteral("Clients"), pParent), m_csCodePage(CodePage::CurrentName())
{
    setObjectName(QStringLiteral("CCodePageWnd"));
}

CCodePageWnd::~CCodePageWnd() = default;

QString CCodePageWnd::Describe(const QString &name)
{
    static const QHash<QString, QString> kScripts = {
        {QStringLiteral("windows-1250"), QStringLiteral("Central European")},
        {QStringLiteral("windows-1251"), QStringLiteral("Cyrillic")},
        {QStringLiteral("windows-1252"), QStringLiteral("Western European")},
        {QStringLiteral("windows-1253"), QStringLiteral("Greek")},
        {QStringLiteral("windows-1254"), QStringLiteral("Turkish")},
        {QStringLiteral("windows-1255"), QStringLiteral("Hebrew")},
        {QStringLiteral("windows-1256"), QStringLiteral("Arabic")},
        {QStringLiteral("windows-1257"), QStringLiteral("Baltic")},
        {QStringLiteral("windows-1258"), QStringLiteral("Vietnamese")},
        {QStringLiteral("windows-874"), QStringLiteral("Thai")},
        {QStringLiteral("windows-932"), QStringLiteral("Japanese")},
        {QStringLiteral("windows-936"), QStringLiteral("Simplified Chinese")},
        {QStringLiteral("windows-949"), QStringLiteral("Korean")},
        {QStringLiteral("windows-950"), QStringLiteral("Traditional Chinese")},
    };
    const QString script = kScripts.value(name.toLower());
    return script.isEmpty() ? name : QStringLiteral("%1 - %2").arg(name, script);
}

void CCodePageWnd::CreateControls()
{
    m_pUi = std::make_unique<Ui::CCodePageWnd>();
    m_pUi->setupUi(this);
    m_names = CodePage::OfferedNames();
    // A code page set in the settings file by hand stays choosable.
    if (!m_names.contains(m_csCodePage, Qt::CaseInsensitive))
        m_names.append(m_csCodePage);
    for (const QString &name : std::as_const(m_names))
        m_pUi->codePageCombo->addItem(Describe(name), name);
}

bool CCodePageWnd::DoDataExchange(bool bSaveAndValidate)
{
    int nIndex = -1;
    if (!bSaveAndValidate) {
        for (int i = 0; i < m_names.size(); ++i)
            if (m_names[i].compare(m_csCodePage, Qt::CaseInsensitive) == 0)
                nIndex = i;
    }
    DDX_CBIndex(bSaveAndValidate, m_pUi->codePageCombo, nIndex);
    if (bSaveAndValidate && nIndex >= 0)
        m_csCodePage = m_names[nIndex];
    return true;
}

bool CCodePageWnd::OnApply()
{
    if (m_csCodePage.compare(CodePage::CurrentName(), Qt::CaseInsensitive) != 0) {
        const QString csWhy = CClientCodePage::Store(m_csCodePage);
        m_bChanged = CodePage::CurrentName() == m_csCodePage;
        if (!csWhy.isEmpty())
            CAppMessageBox::Exclamation(this, csWhy);
        if (!m_bChanged)
            return false;
    }
    return CPropertyPage::OnApply();
}
