#include "uilib/CRegistryAccess.h"

namespace {

const QString kOrganization = QStringLiteral("Corvane");
const QString kApplication = QStringLiteral("Admin");
const QString kAppKey = QStringLiteral("Software\\Corvane\\Admin");

QSettings::Format DefaultFormat()
{
#ifdef Q_OS_WIN
    return QSettings::NativeFormat;
#else
    // INI everywhere else, so that the mapping documented in the header is
    // the same on macOS as on Linux.
    return QSettings::IniFormat;
#endif
}

QSettings::Format s_format = DefaultFormat();

QString CleanKeyPath(QString path)
{
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (path.startsWith(QLatin1Char('\\')))
        path.remove(0, 1);
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path;
}

} // namespace

CRegistryAccess::CRegistryAccess(RegRoot hRoot, const QString &csKeyPath)
    : m_hRoot(hRoot), m_csKeyPath(CleanKeyPath(csKeyPath))
{
}

CRegistryAccess::~CRegistryAccess()
{
    CloseKey();
}

void CRegistryAccess::SetFormat(QSettings::Format format)
{
    s_format = format;
}

QSettings::Format CRegistryAccess::GetFormat()
{
    return s_format;
}

QString CRegistryAccess::GroupForKey(const QString &csKeyPath)
{
    const QString path = CleanKeyPath(csKeyPath);
    QString rest;
    if (path.compare(kAppKey, Qt::CaseInsensitive) == 0)
        return {};
    if (path.startsWith(kAppKey + QLatin1Char('\\'), Qt::CaseInsensitive))
        rest = path.mid(kAppKey.size() + 1);
    else
        rest = path;
    return rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

std::unique_ptr<QSettings> CRegistryAccess::OpenScope(QSettings::Scope scope) const
{
    std::unique_ptr<QSettings> pSettings;
#ifdef Q_OS_WIN
    if (s_format == QSettings::NativeFormat) {
        const QString hive = scope == QSettings::SystemScope
                                 ? QStringLiteral("HKEY_LOCAL_MACHINE\\")
                                 : QStringLiteral("HKEY_CURRENT_USER\\");
        pSettings = std::make_unique<QSettings>(hive + m_csKeyPath, QSettings::NativeFormat);
        pSettings->setFallbacksEnabled(false);
        return pSettings;
    }
#endif
    pSettings = std::make_unique<QSettings>(s_format, scope, kOrganization, kApplication);
    // A hive holds only its own values: the user scope must not answer with
    // the machine's or the organisation's.
    pSettings->setFallbacksEnabled(false);
    const QString group = GroupForKey(m_csKeyPath);
    if (!group.isEmpty())
        pSettings->beginGroup(group);
    return pSettings;
}

bool CRegistryAccess::OpenKey(int bCreate)
{
    CloseKey();
    const bool bMachine = m_hRoot == RegRoot::LocalMachine;
    auto pPrimary = OpenScope(bMachine ? QSettings::SystemScope : QSettings::UserScope);
    if (pPrimary->status() == QSettings::FormatError)
        return false;
    std::unique_ptr<QSettings> pFallback;
    if (bMachine) {
        pFallback = OpenScope(QSettings::UserScope);
        if (pFallback->status() != QSettings::NoError)
            pFallback.reset();
    }
    if (!bCreate) {
        const auto isEmpty = [](const QSettings *p) {
            return !p || (p->childKeys().isEmpty() && p->childGroups().isEmpty());
        };
        if (isEmpty(pPrimary.get()) && isEmpty(pFallback.get()))
            return false;
    }
    m_pPrimary = std::move(pPrimary);
    m_pUserFallback = std::move(pFallback);
    return true;
}

bool CRegistryAccess::IsValidValueName(const QString &csName)
{
    // QSettings reads both slashes as key separators; such a name would land
    // in a subkey instead of this key.
    return !csName.isEmpty() && !csName.contains(QLatin1Char('/'))
           && !csName.contains(QLatin1Char('\\'));
}

int CRegistryAccess::GetValueData(const QString &csName, QString &csData, int nType)
{
    if (!m_pPrimary || nType != REG_SZ || !IsValidValueName(csName))
        return 0;
    QSettings *pSource = nullptr;
    if (m_pUserFallback && m_pUserFallback->contains(csName))
        pSource = m_pUserFallback.get();
    else if (m_pPrimary->contains(csName))
        pSource = m_pPrimary.get();
    if (!pSource)
        return 0;
    const QVariant value = pSource->value(csName);
    // An INI value with an unquoted comma reads as a list; it is still the
    // text that was written.
    if (value.typeId() == QMetaType::QStringList)
        csData = value.toStringList().join(QLatin1Char(','));
    else if (value.canConvert<QString>())
        csData = value.toString();
    else
        return 0;
    return 1;
}

int CRegistryAccess::SetValueData(const QString &csName, const QString &csData)
{
    if (!m_pPrimary || !IsValidValueName(csName))
        return 0;
    if (m_pPrimary->isWritable()) {
        m_pPrimary->setValue(csName, csData);
        m_pPrimary->sync();
        if (m_pPrimary->status() == QSettings::NoError) {
            if (m_pUserFallback && m_pUserFallback->contains(csName)) {
                m_pUserFallback->remove(csName);
                m_pUserFallback->sync();
            }
            return 1;
        }
    }
    if (!m_pUserFallback)
        return 0;
    m_pUserFallback->setValue(csName, csData);
    m_pUserFallback->sync();
    return m_pUserFallback->status() == QSettings::NoError ? 1 : 0;
}

int CRegistryAccess::GetValues(QStringList &names, QStringList &data)
{
    if (!m_pPrimary)
        return 1;
    QStringList keys = m_pPrimary->childKeys();
    if (m_pUserFallback)
        for (const QString &key : m_pUserFallback->childKeys())
            if (!keys.contains(key))
                keys.append(key);
    for (const QString &key : std::as_const(keys)) {
        QString value;
        if (!GetValueData(key, value))
            continue;
        names.append(key);
        data.append(value);
    }
    return 0;
}

void CRegistryAccess::CloseKey()
{
    if (m_pPrimary)
        m_pPrimary->sync();
    m_pPrimary.reset();
    m_pUserFallback.reset();
}
