#pragma once

#include "framework/CCmdTarget.h"

#include <QObject>
#include <QString>

#include <memory>

class CAdminDoc;
class CAdminDocTarget;
class CCmdRoute;
class CMainFrame;

// The application: hands the shared UI library its settings, creates the
// document (with the shared directory from the settings) and the main frame,
// and serves About. Create it after the QApplication; InitInstance runs the
// start-up and is false when the program should end.
class CAdminApp : public QObject, public CCmdTarget
{
    Q_OBJECT

public:
    explicit CAdminApp(QObject *parent = nullptr);
    // The frame (and the view in it) goes before the document.
    ~CAdminApp() override;

    static CAdminApp *GetApp();

    bool InitInstance();
    // Opens csPath instead of the stored shared directory, for this run
    // only; when it cannot be opened the start fails without asking for
    // another. Call it before InitInstance.
    void SetShareDirectoryForRun(const QString &csPath) { m_csShareForRun = csPath; }

    QString GetRegistryPath() const { return m_csRegistryPath; }
    CAdminDoc *GetDocument() const { return m_pDoc; }
    CMainFrame *GetMainFrame() const { return m_pMainFrame.get(); }
    CCmdRoute *GetRoute() const { return m_pRoute; }

private:
    void InitLibraryVars();
    void OnFileNew();
    bool OpenDocument();
    bool AskForShareDirectory();
    void OnAppAbout();

    QString m_csRegistryPath;
    QString m_csShareForRun;
    CCmdRoute *m_pRoute;
    CAdminDoc *m_pDoc = nullptr;
    std::unique_ptr<CAdminDocTarget> m_pDocTarget;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
