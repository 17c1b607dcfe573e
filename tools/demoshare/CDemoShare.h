#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <random>
#include <utility>
#include <vector>

// Writes a demonstration shared directory: a roster whose users show every
// state the list knows (never logged on, connected, not connected, logged on
// too long ago to tell, deleted, upgrading), every operating-system and level
// code, information records with gaps, shared and personal groups, user files
// with the sections clients keep, waiting notes (some with their note file
// missing), notifications, note models and a client log.
//
// Times are relative to the given "now", so the states hold whenever the
// directory is generated; the same seed and the same "now" give the same bytes.
class CDemoShare
{
public:
    CDemoShare(QString directory, int users, quint32 seed, qint64 now);

    // Writes everything; on failure returns false and sets the reason.
    bool Write();
    QString GetError() const { return m_error; }
    QString GetSummary() const;

private:
    enum class State { NeverLoggedOn, Connected, NotConnected, LongAgo, NoLogoff };
    struct User
    {
        QByteArray login;
        QByteArray fullName;
        State state = State::NotConnected;
        qint64 logon = 0;
        qint64 logoff = 0;
        QByteArray infos;     // null: no Infos entry
        bool upgrading = false;
        bool hasFile = true;
    };
    using Lines = QList<QByteArray>;

    void PlanUsers();
    QByteArray MakeInfos(int index, quint16 version, quint16 build);
    bool WriteUsersIni();
    bool WriteUserFile(const User &user, int index);
    bool WriteNotes(const QString &path, const User &user, int index);
    bool WriteModels();
    bool WriteLog(const User &user);
    bool Section(const QString &path, const QByteArray &section, const Lines &lines);
    bool Check(bool ok, const QString &what);

    int Pick(int count) { return int(m_random() % quint32(count)); }
    bool Chance(int percent) { return Pick(100) < percent; }
    QString FilePath(const QByteArray &name) const;

    QString m_directory;
    int m_userCount;
    qint64 m_now;
    std::mt19937 m_random;
    std::vector<User> m_users;
    QList<QByteArray> m_models;
    int m_codes = 0; // records written with operating-system and level codes
    int m_nextNote = 1;
    int m_notes = 0;
    int m_missingNotes = 0;
    int m_groups = 0;
    QString m_error;
};
