#include "uilib/GlobalVarsForDll.h"

#include "uilib/CAboutDlg.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QList>

QString GlobalVarsForDll::csSoftName;
QString GlobalVarsForDll::csShortSoftName;
int GlobalVarsForDll::bShowLevel = 0;
QString GlobalVarsForDll::csPartOfAppTitle;
QString GlobalVarsForDll::csInstallFolder;
QString GlobalVarsForDll::csWelcomeSentence;
bool GlobalVarsForDll::s_bInitialized = false;

namespace {
QList<std::optional<QString>> s_pathAnswers;
QString s_lastPathPrompt;
} // namespace

int GlobalVarsForDll::InitVars(int bInit)
{
    if (!bInit) {
        s_bInitialized = false;
        return 1;
    }
    if (csShortSoftName.isEmpty())
        csShortSoftName = csSoftName.toLower();
    s_bInitialized = !csSoftName.isEmpty();
    return s_bInitialized ? 1 : 0;
}

void GlobalVarsForDll::DisplayAboutDlg(QWidget *pParent)
{
    CAboutDlg dlg(pParent);
    dlg.exec();
}

int GlobalVarsForDll::GetPath(const QString &csPrompt, QWidget *pOwner, QString &csPath)
{
    s_lastPathPrompt = csPrompt;
    std::optional<QString> answer;
    if (!s_pathAnswers.isEmpty()) {
        answer = s_pathAnswers.takeFirst();
    } else {
        // Only an existing directory is a starting point; anything else in
        // csPath would be offered back as the choice.
        const QString start = QFileInfo(csPath).isDir() ? csPath : QString();
        const QString chosen =
            QFileDialog::getExistingDirectory(pOwner, csPrompt, start, QFileDialog::ShowDirsOnly);
        if (!chosen.isEmpty())
            answer = chosen;
    }
    if (!answer || answer->isEmpty())
        return 0;
    // The path is stored and shown as the platform writes it: backslashes
    // on Windows, where the clients read it too.
    csPath = QDir::toNativeSeparators(*answer);
    return 1;
}

void GlobalVarsForDll::SetNextPathAnswer(std::optional<QString> answer)
{
    s_pathAnswers.append(std::move(answer));
}

void GlobalVarsForDll::ClearPathAnswers()
{
    s_pathAnswers.clear();
}

QString GlobalVarsForDll::GetLastPathPrompt()
{
    return s_lastPathPrompt;
}
