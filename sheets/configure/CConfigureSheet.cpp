#include "sheets/configure/CConfigureSheet.h"

#include "sheets/configure/CConfigureCommunication.h"
#include "sheets/configure/CConfigureLogs.h"
#include "sheets/configure/CConfigureNoteCreation.h"
#include "sheets/configure/CConfigureUser.h"

#include <QFontMetrics>
#include <QTabWidget>

CConfigureSheet::CConfigureSheet(CConfigureTarget *pTarget, QWidget *pParent)
    : CPropertySheet(QStringLiteral("Options"), pParent),
      m_pUserPage(new CConfigureUser(pTarget)),
      m_pNoteCreationPage(new CConfigureNoteCreation(pTarget)),
      m_pCommunicationPage(new CConfigureCommunication(pTarget)),
      m_pLogsPage(new CConfigureLogs(pTarget))
{
    setObjectName(QStringLiteral("CConfigureSheet"));
    // Pages build their controls when first shown, too late for the sheet
    // to size itself by them: each page takes its template's size instead,
    // so that no page is squeezed and the sheet does not jump.
    AddPage(m_pUserPage);
    m_pUserPage->setMinimumSize(TemplateSize(253, 188));
    AddPage(m_pNoteCreationPage);
    m_pNoteCreationPage->setMinimumSize(TemplateSize(253, 188));
    AddPage(m_pCommunicationPage);
    m_pCommunicationPage->setMinimumSize(TemplateSize(253, 188));
    AddPage(m_pLogsPage);
    m_pLogsPage->setMinimumSize(TemplateSize(254, 187));
    // Every tab stays in sight: four captions fit the pages' width.
    if (QTabWidget *pTabs = findChild<QTabWidget *>())
        pTabs->setUsesScrollButtons(false);
    // No page marks itself changed, so Apply could never be pressed; OK
    // writes everything.
    SetApplyButton(false);
}

CConfigureSheet::~CConfigureSheet() = default;

QSize CConfigureSheet::TemplateSize(int nWidthDlu, int nHeightDlu) const
{
    // Dialog units: a quarter of the average letter width, an eighth of the
    // line height of the dialog's font.
    const QFontMetrics metrics(font());
    const QString csLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int nBaseX = (metrics.horizontalAdvance(csLetters) / 26 + 1) / 2;
    return {nWidthDlu * nBaseX / 4, nHeightDlu * metrics.height() / 8};
}

int CConfigureSheet::Run(QWidget *pParent, CAdminDoc *pDoc, CConfigureTarget::Object object,
                         CConfigureTarget::StatusSink status)
{
    CConfigureTarget target(pDoc, object, std::move(status));
    target.ExplainUser();
    target.WarnIfUnreadable(pParent);
    int nResult = IDCANCEL;
    {
        CConfigureSheet sheet(&target, pParent);
        nResult = sheet.DoModal();
    }
    target.Report(pParent);
    return nResult;
}
