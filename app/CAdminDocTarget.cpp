#include "app/CAdminDocTarget.h"

#include "framework/CFrameWnd.h"
#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"
#include "store/CAdminDoc.h"
#include "uilib/CAppMessageBox.h"
#include "uilib/CRegistryAccess.h"
#include "uilib/GlobalVarsForDll.h"

#include <QCoreApplication>

CAdminDocTarget::CAdminDocTarget(CAdminDoc *pDoc, const QString &csRegistryPath)
    : m_pDoc(pDoc), m_csRegistryPath(csRegistryPath)
{
    AddCommand(ID_FILE_DEFINE_SHARE_DIRECTORY, [this] { OnDefineShareDirectory(); });
}

void CAdminDocTarget::OnDefineShareDirectory()
{
    const QString prompt = CStringTable::Load(IDS_DEFINE_SHARE_DIRECTORY);
    QWidget *pOwner = CFrameWnd::GetMainWnd();
    QString path;
    if (!GlobalVarsForDll::GetPath(prompt, pOwner, path))
        return;
    // The document drops the one trailing backslash the picker may leave
    // ("C:\"); what it settled on is what is stored, so the next start sees
    // the same directory as this session.
    m_pDoc->SetShareDirectory(path);
    StoreShareDirectory(m_csRegistryPath, m_pDoc->GetShareDirectory(), pOwner);
}

bool CAdminDocTarget::StoreShareDirectory(const QString &csRegistryPath, const QString &path,
                                          QWidget *pParent)
{
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, csRegistryPath);
    bool bStored = false;
    if (registry.OpenKey(1)) {
        bStored = registry.SetValueData(QStringLiteral("ShareDirectory"), path) != 0;
        registry.CloseKey();
    }
    if (!bStored)
        CAppMessageBox::Exclamation(
            pParent,
            QCoreApplication::translate("CAdminDocTarget",
                                        "The shared directory %1 could not be saved in the "
                                        "settings.\nIt is used until the program ends.")
                .arg(path));
    return bStored;
}
