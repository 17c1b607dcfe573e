#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CAdminDoc;
class CMainFrame;

// Tells the administrator when the shared directory cannot be used, where
// they look: a message once when the trouble begins, and for as long as it
// lasts the status bar's text at rest names what fails and why. Once
// Users.ini can be read again the normal text comes back.
class CShareTroubleNotice : public QObject
{
    Q_OBJECT

public:
    // Follows the document from now on, starting with its state now.
    static CShareTroubleNotice *Install(CMainFrame *pFrame, CAdminDoc *pDoc);

    // The status bar's text at rest while csTrouble lasts; empty without one.
    static QString StatusText(const QString &csTrouble);
    // The one message told when a trouble begins.
    static QString MessageText(const QString &csTrouble);

public Q_SLOTS:
    void OnShareTroubleChanged(const QString &csTrouble);

private:
    CShareTroubleNotice(CMainFrame *pFrame);
    void ShowMessage();

    QPointer<CMainFrame> m_pFrame;
    QString m_csTrouble;
};
