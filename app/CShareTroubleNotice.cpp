#include "app/CShareTroubleNotice.h"

#include "app/CMainFrame.h"
#include "store/CAdminDoc.h"
#include "uilib/CAppMessageBox.h"

#include <QTimer>

CShareTroubleNotice::CShareTroubleNotice(CMainFrame *pFrame) : QObject(pFrame), m_pFrame(pFrame)
{
    setObjectName(QStringLiteral("ShareTroubleNotice"));
}

CShareTroubleNotice *CShareTroubleNotice::Install(CMainFrame *pFrame, CAdminDoc *pDoc)
{
    auto *pNotice = new CShareTroubleNotice(pFrame);
    if (pDoc) {
        connect(pDoc, &CAdminDoc::ShareTroubleChanged, pNotice,
                &CShareTroubleNotice::OnShareTroubleChanged);
        pNotice->OnShareTroubleChanged(pDoc->GetShareTrouble());
    }
    return pNotice;
}

QString CShareTroubleNotice::StatusText(const QString &csTrouble)
{
    return csTrouble.isEmpty() ? QString()
                               : QStringLiteral("Shared directory unavailable: %1").arg(csTrouble);
}

QString CShareTroubleNotice::MessageText(const QString &csTrouble)
{
    return QStringLiteral("The users and their status cannot be read from the shared "
                          "directory:\n\n%1\n\nUntil it can be read again, the list cannot show "
                          "the users as they are now; the status bar says so meanwhile.")
        .arg(csTrouble);
}

void CShareTroubleNotice::OnShareTroubleChanged(const QString &csTrouble)
{
    const bool bBegins = m_csTrouble.isEmpty() && !csTrouble.isEmpty();
    m_csTrouble = csTrouble;
    // The frame's text at rest says the trouble while there is one.
    if (m_pFrame)
        m_pFrame->UpdateRestStatus();
    // Told from the event loop, not from inside the roster load that found
    // it, and only if it still lasts by then.
    if (bBegins)
        QTimer::singleShot(0, this, &CShareTroubleNotice::ShowMessage);
}

void CShareTroubleNotice::ShowMessage()
{
    if (!m_csTrouble.isEmpty())
        CAppMessageBox::Exclamation(m_pFrame, MessageText(m_csTrouble));
}
