#include "cli/CCliSettings.h"

#include <QSettings>

namespace {

QSettings::Format SettingsFormat()
{
#ifdef Q_OS_WIN
    return QSettings::NativeFormat;
#else
    return QSettings::IniFormat;
#endif
}

} // namespace

QString CCliSettings::Read(const QString &name)
{
    // A machine-wide value that could not be written to the machine's scope
    // lives in the user's, and is read from there first, as the window does.
    for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
#ifdef Q_OS_WIN
        const QString hive = scope == QSettings::SystemScope
                                 ? QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Corvane\\Admin")
                                 : QStringLiteral("HKEY_CURRENT_USER\\Software\\Corvane\\Admin");
        QSettings settings(hive, QSettings::NativeFormat);
#else
        QSettings settings(SettingsFormat(), scope, QStringLiteral("Corvane"),
                           QStringLiteral("Admin"));
#endif
        settings.setFallbacksEnabled(false);
        if (!settings.contains(name))
            continue;
        const QVariant value = settings.value(name);
        // An unquoted comma makes an INI value read as a list.
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QLatin1Char(','));
        return value.toString();
    }
    return {};
}

QString CCliSettings::StoredShareDirectory()
{
    return Read(QStringLiteral("ShareDirectory"));
}

QString CCliSettings::StoredCodePage()
{
    return Read(QStringLiteral("ClientCodePage"));
}
