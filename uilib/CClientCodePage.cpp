#include "uilib/CClientCodePage.h"

#include "platform/CodePage.h"
#include "uilib/CRegistryAccess.h"

const QString CClientCodePage::kValueName = QStringLiteral("ClientCodePage");
const QString CClientCodePage::kRegistryPath = QStringLiteral("Software\\Corvane\\Admin");

QString CClientCodePage::Load(const QString &csRegistryPath)
{
    QString name;
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, csRegistryPath);
    if (registry.OpenKey(0)) {
        registry.GetValueData(kValueName, name);
        registry.CloseKey();
    }
    if (name.trimmed().isEmpty()) {
        CodePage::SetCurrent(QString::fromLatin1(CodePage::kDefaultName));
        return {};
    }
    if (const QString why = CodePage::Check(name); !why.isEmpty()) {
        CodePage::SetCurrent(QString::fromLatin1(CodePage::kDefaultName));
        return QStringLiteral("The clients' code page in the settings (%1) cannot be used: %2\n"
                              "Names and values are read as %3 until another code page is "
                              "chosen in View > Options.")
            .arg(name, why, QString::fromLatin1(CodePage::kDefaultName));
    }
    CodePage::SetCurrent(name);
    return {};
}

QString CClientCodePage::Store(const QString &name, const QString &csRegistryPath)
{
    if (const QString why = CodePage::Check(name); !why.isEmpty())
        return why;
    CodePage::SetCurrent(name);
    CRegistryAccess registry(HKEY_LOCAL_MACHINE, csRegistryPath);
    bool bStored = false;
    if (registry.OpenKey(1)) {
        bStored = registry.SetValueData(kValueName, name.trimmed()) != 0;
        registry.CloseKey();
    }
    if (!bStored)
        return QStringLiteral("The clients' code page %1 could not be saved in the settings.\n"
                              "It is used until the program ends.")
            .arg(name);
    return {};
}
