#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>

// The two registry hives the program uses.
enum class RegRoot { LocalMachine, CurrentUser };

#ifndef HKEY_LOCAL_MACHINE
inline constexpr RegRoot HKEY_LOCAL_MACHINE = RegRoot::LocalMachine;
inline constexpr RegRoot HKEY_CURRENT_USER = RegRoot::CurrentUser;
#endif

// Registry access over QSettings. The local machine's hive is QSettings'
// system scope, the current user's hive its user scope.
//
// Where values land:
// - Windows (native format): exactly at the key given, e.g. ShareDirectory
//   under HKEY_LOCAL_MACHINE\Software\Corvane\Admin and the column layout
//   under HKEY_CURRENT_USER\Software\Corvane\Admin\Columns.
// - Elsewhere (INI files named after organisation "Corvane" and application
//   "Admin": /etc/xdg/Corvane/Admin.ini for the machine, and
//   ~/.config/Corvane/Admin.ini for the user): the key "Software\Corvane\Admin" is the
//   file's top level ([General]) and a key below it is the group of the same
//   name ("...\Admin\Columns" is [Columns]). Any other key path becomes a
//   group made of its parts ("Software\Other" is [Software/Other]).
//
// A machine-wide value that cannot be written to the system scope (an
// ordinary user on Linux, a non-elevated process on Windows) is written to
// the same key of the user scope instead, and machine-wide reads look there
// first, so the setting still persists for this user. A later successful
// machine-wide write removes that per-user copy.
class CRegistryAccess
{
public:
    CRegistryAccess(RegRoot hRoot, const QString &csKeyPath);
    ~CRegistryAccess();
    CRegistryAccess(const CRegistryAccess &) = delete;
    CRegistryAccess &operator=(const CRegistryAccess &) = delete;

    // Opens the key. With bCreate a missing key counts as opened (it comes
    // into being with its first value); without it a missing key fails.
    // False when the settings store cannot be read.
    bool OpenKey(int bCreate);
    bool IsOpen() const { return m_pPrimary != nullptr; }

    // Value types, as the registry numbers them.
    static constexpr int REG_SZ = 1;

    // Reads a text value (nType REG_SZ); nonzero on success, csData
    // unchanged on failure (no such value, key not open, other type).
    int GetValueData(const QString &csName, QString &csData, int nType = REG_SZ);
    // Writes a text value; nonzero when it was stored somewhere lasting.
    int SetValueData(const QString &csName, const QString &csData);
    // All values of the key: 0 on success, nonzero on failure.
    int GetValues(QStringList &names, QStringList &data);
    void CloseKey();

    // Where this key is kept outside Windows: the group inside the settings
    // file, empty for the application's own key.
    static QString GroupForKey(const QString &csKeyPath);

    // Tests use the INI format on every platform, together with
    // QSettings::setPath to private directories.
    static void SetFormat(QSettings::Format format);
    static QSettings::Format GetFormat();

private:
    std::unique_ptr<QSettings> OpenScope(QSettings::Scope scope) const;
    static bool IsValidValueName(const QString &csName);

    RegRoot m_hRoot;
    QString m_csKeyPath;
    std::unique_ptr<QSettings> m_pPrimary;
    // For the machine hive: the per-user stand-in described above.
    std::unique_ptr<QSettings> m_pUserFallback;
};
