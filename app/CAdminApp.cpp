#include "app/CAdminApp.h"

#include "app/CAdminDocTarget.h"
#include "app/CCommandLine.h"
#include "app/CMainFrame.h"
#include "app/CShareTroubleNotice.h"
#include "app/CViewCommands.h"
#include "app/CWindowState.h"
#include "view/CAdminView.h"
#include "framework/CCmdRoute.h"
#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"
#include "store/CAdminDoc.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CClientCodePage.h"
#include "uilib/CRegistryAccess.h"
#include "uilib/GlobalVarsForDll.h"

#include <QApplication>

#include <cstdio>

namespace {
CAdminApp *s_pApp = nullptr;
const QString kShareDirectory = QStringLiteral("ShareDirectory");
} // namespace

CAdminApp::CAdminApp(QObject *parent)
    : QObject(parent), m_csRegistryPath(QStringLiteral("Software\\Corvane\\Admin")),
      m_pRoute(new CCmdRoute(this))
{
    s_pApp = this;
    AddCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
    AddCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    m_pRoute->SetTarget(CCmdRoute::App, this);
}

CAdminApp::~CAdminApp()
{
    m_pMainFrame.reset();
    m_pDocTarget.reset();
    delete m_pDoc;
    m_pDoc = nullptr;
    if (s_pApp == this)
        s_pApp = nullptr;
}

CAdminApp *CAdminApp::GetApp()
{
    return s_pApp;
}

void CAdminApp::InitLibraryVars()
{
    GlobalVarsForDll::csSoftName = QStringLiteral("Corvane Administration Tool");
    GlobalVarsForDll::csShortSoftName = QStringLiteral("admin");
    GlobalVarsForDll::bShowLevel = 0;
    GlobalVarsForDll::csPartOfAppTitle = QStringLiteral("Brindle Corvane Admin Tool");
    GlobalVarsForDll::csInstallFolder = QStringLiteral("Programs");
    GlobalVarsForDll::csWelcomeSentence = QStringLiteral(
        "This is a BETA version !  Please upgrade to a release version as soon as possible !");
    GlobalVarsForDll::InitVars(1);
}

bool CAdminApp::InitInstance()
{
    QApplication::setApplicationName(CStringTable::Load(AFX_IDS_APP_TITLE));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    InitLibraryVars();

    // Logins name files through the code page, so it comes before the share.
    if (const QString why = CClientCodePage::Load(m_csRegistryPath); !why.isEmpty())
        CAppMessageBox::Exclamation(nullptr, why);

    m_pDoc = new CAdminDoc;
    m_pDocTarget = std::make_unique<CAdminDocTarget>(m_pDoc, m_csRegistryPath);
    m_pRoute->SetTarget(CCmdRoute::Document, m_pDocTarget.get());

    // Start-up is the framework's New: the document, then the frame.
    m_pRoute->Execute(ID_FILE_NEW);
    return m_pMainFrame != nullptr;
}

void CAdminApp::OnFileNew()
{
    if (m_pMainFrame || !OpenDocument())
        return;
    auto pFrame = std::make_unique<CMainFrame>(m_pRoute);
    if (!pFrame->Create())
        return;
    m_pMainFrame = std::move(pFrame);
    m_pMainFrame->SetAsMainWnd();
    CAdminView *pView = CAdminView::Create(m_pMainFrame.get(), m_pDoc);
    CViewCommands::Install(pView, m_pDoc, m_pMainFrame.get());
    m_pMainFrame->AttachView(pView, m_pDoc);
    CShareTroubleNotice::Install(m_pMainFrame.get(), m_pDoc);
    // Dialogs and message boxes carry the program's icon too.
    QApplication::setWindowIcon(m_pMainFrame->windowIcon());
    CWindowState::Restore(m_pMainFrame.get());
    m_pMainFrame->show();
    m_pRoute->UpdateAll();
}

bool CAdminApp::OpenDocument()
{
    if (!m_csShareForRun.isEmpty()) {
        QString why = CCommandLine::CheckShareDirectory(m_csShareForRun);
        if (why.isEmpty() && m_pDoc->OnNewDocument(m_csShareForRun))
            return true;
        if (why.isEmpty())
            why = tr("%1 cannot be opened as the shared directory").arg(m_csShareForRun);
        std::fprintf(stderr, "corvane-admin: %s\n", qUtf8Printable(why));
        return false;
    }
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, m_csRegistryPath);
    QString path;
    if (registry.OpenKey(1)) {
        const bool bFound = registry.GetValueData(kShareDirectory, path, 1) != 0;
        registry.CloseKey();
        if (bFound && m_pDoc->OnNewDocument(path))
            return true;
    }
    return AskForShareDirectory();
}

// Without a shared directory there is nothing to show. Rather than end
// without a word, the administrator is told and may choose one; only a
// cancel in the directory picker ends the program.
bool CAdminApp::AskForShareDirectory()
{
    CAppMessageBox::Information(
        nullptr, tr("No shared directory is defined.\n\nChoose the shared directory in the "
                    "next window, or cancel there to quit."));
    for (;;) {
        QString path;
        if (!GlobalVarsForDll::GetPath(CStringTable::Load(IDS_DEFINE_SHARE_DIRECTORY), nullptr,
                                       path))
            return false;
        if (m_pDoc->OnNewDocument(path)) {
            CAdminDocTarget::StoreShareDirectory(m_csRegistryPath, m_pDoc->GetShareDirectory(),
                                                 nullptr);
            return true;
        }
        CAppMessageBox::Exclamation(
            nullptr, tr("%1 cannot be used as the shared directory.\nChoose another one.")
                         .arg(path));
    }
}

void CAdminApp::OnAppAbout()
{
    GlobalVarsForDll::DisplayAboutDlg(m_pMainFrame.get());
}
