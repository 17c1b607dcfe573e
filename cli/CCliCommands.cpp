#include "cli/CCliCommands.h"

#include "cli/CCliGroups.h"
#include "cli/CCliRequests.h"
#include "cli/CCliSession.h"
#include "cli/CCliWrites.h"
#include "platform/CStringTable.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "platform/ResourceIds.h"
#include "store/CAdminDoc.h"
#include "store/CParameters.h"
#include "store/CRestrictions.h"
#include "store/CUser.h"
#include "store/CUserStatus.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QString ColumnTitle(int column)
{
    return CStringTable::Load(IDS_COLUMN_FIRST + column);
}

// A column named by its title (any case) or its number from 1.
int FindColumn(const QString &name)
{
    bool bNumber = false;
    const int n = name.toInt(&bNumber);
    if (bNumber)
        return n >= 1 && n <= CUser::ColumnCount ? n - 1 : -1;
    for (int column = 0; column < CUser::ColumnCount; ++column)
        if (ColumnTitle(column).compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return column;
    return -1;
}

QString CsvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A cell as the CSV holds it, in UTF-8. The files' text is mostly ASCII,
// which is the same bytes in every code page the program accepts, so only
// the rest goes through the code page.
void AppendCsvField(QByteArray &line, const QByteArray &bytes)
{
    bool bAscii = true;
    bool bQuote = false;
    for (const char c : bytes) {
        bAscii = bAscii && uchar(c) < 0x80;
        bQuote = bQuote || c == ',' || c == '"' || c == '\n' || c == '\r';
    }
    const QByteArray text = bAscii ? bytes : CodePage::Decode(bytes).toUtf8();
    if (!bQuote) {
        line += text;
        return;
    }
    line += '"';
    for (const char c : text) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

// As the window's filter box: the login, the real name or any cell shown
// holds the text, without regard to case.
bool Matches(const CUser &user, const QString &filter, const QList<int> &columns, qint64 now)
{
    if (CodePage::Decode(user.GetLogin()).contains(filter, Qt::CaseInsensitive)
        || CodePage::Decode(user.GetFullName()).contains(filter, Qt::CaseInsensitive))
        return true;
    for (int column : columns)
        if (CodePage::Decode(user.GetColumnText(column, now)).contains(filter, Qt::CaseInsensitive))
            return true;
    return false;
}

void WriteTable(QTextStream &out, const QStringList &titles, const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QString &title : titles)
        widths.append(title.size());
    for (const QStringList &row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = qMax(widths[i], row[i].size());
    const auto line = [&](const QStringList &cells) {
        QString text;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i + 1 < cells.size())
                text += cells[i].leftJustified(widths[i]) + QStringLiteral("  ");
            else
                text += cells[i];
        }
        out << text << '\n';
    };
    line(titles);
    for (const QStringList &row : rows)
        line(row);
}

} // namespace

void AddUsersOptions(QCommandLineParser &parser)
{
    parser.addOptions({
        {QStringLiteral("filter"),
         QStringLiteral("Only users whose login, real name or a cell shown holds <text> (any case)."),
         QStringLiteral("text")},
        {QStringLiteral("connected"), QStringLiteral("Only connected users.")},
        {QStringLiteral("disconnected"), QStringLiteral("Only users not connected.")},
        {QStringLiteral("deleted"), QStringLiteral("Only deleted users (hidden otherwise).")},
        {QStringLiteral("columns"),
         QStringLiteral("Columns by title or number, separated by commas (default: all)."),
         QStringLiteral("list")},
        {QStringLiteral("format"), QStringLiteral("table (default), csv or json."),
         QStringLiteral("format")},
    });
}

int RunUsers(CCliSession &session, const QCommandLineParser &parser)
{
    QString format = parser.isSet(QStringLiteral("json")) ? QStringLiteral("json")
                                                          : QStringLiteral("table");
    if (parser.isSet(QStringLiteral("format")))
        format = parser.value(QStringLiteral("format")).toLower();
    if (format != u"table" && format != u"csv" && format != u"json")
        return session.Usage(QStringLiteral("Unknown format \"%1\": use table, csv or json.")
                                 .arg(format));
    if (parser.isSet(QStringLiteral("connected")) && parser.isSet(QStringLiteral("disconnected")))
        return session.Usage(QStringLiteral("--connected and --disconnected exclude each other."));
    QList<int> columns;
    if (parser.isSet(QStringLiteral("columns"))) {
        for (const QString &name :
             parser.value(QStringLiteral("columns")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const int column = FindColumn(name);
            if (column < 0)
                return session.Usage(QStringLiteral("Unknown column \"%1\".").arg(name));
            columns.append(column);
        }
    }
    if (columns.isEmpty())
        for (int column = 0; column < CUser::ColumnCount; ++column)
            columns.append(column);

    const QString filter = parser.value(QStringLiteral("filter"));
    const bool bDeleted = parser.isSet(QStringLiteral("deleted"));
    const bool bConnected = parser.isSet(QStringLiteral("connected"));
    const bool bDisconnected = parser.isSet(QStringLiteral("disconnected"));
    // One clock for every row, as one refresh of the list has.
    const qint64 now = QDateTime::currentSecsSinceEpoch();

    QStringList titles;
    for (int column : std::as_const(columns))
        titles.append(ColumnTitle(column));
    QTextStream &out = session.Out();
    QList<QStringList> rows;
    QJsonArray json;
    if (format == u"csv") {
        QStringList fields;
        for (const QString &title : std::as_const(titles))
            fields.append(CsvField(title));
        out << fields.join(QLatin1Char(',')) << '\n';
        out.flush();
    }
    constexpr qsizetype kFlushSize = 1 << 20;
    QByteArray csv;
    csv.reserve(kFlushSize + 4096);
    for (const CUser *pUser : session.Doc().GetUsers()) {
        if (pUser->IsDeleted() != bDeleted)
            continue;
        if (bConnected || bDisconnected) {
            const CUser::ConnectionState state = pUser->GetConnectionState();
            if (state != (bConnected ? CUser::Connected : CUser::NotConnected))
                continue;
        }
        if (!filter.isEmpty() && !Matches(*pUser, filter, columns, now))
            continue;
        if (format == u"csv") {
            // Tens of thousands of rows: bytes go out in large writes.
            for (qsizetype i = 0; i < columns.size(); ++i) {
                if (i)
                    csv += ',';
                AppendCsvField(csv, pUser->GetColumnText(columns[i], now));
            }
            csv += '\n';
            if (csv.size() > kFlushSize) {
                std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
                csv.clear();
            }
            continue;
        }
        QStringList cells;
        for (int column : std::as_const(columns))
            cells.append(CCliSession::Text(pUser->GetColumnText(column, now)));
        if (format == u"json") {
            QJsonObject row;
            for (qsizetype i = 0; i < cells.size(); ++i)
                row.insert(titles[i], cells[i]);
            json.append(row);
        } else {
            rows.append(cells);
        }
    }
    if (format == u"csv") {
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
        std::fflush(stdout);
    }
    if (format == u"json")
        out << QJsonDocument(json).toJson(QJsonDocument::Indented);
    else if (format == u"table")
        WriteTable(out, titles, rows);
    return session.ExitStatus();
}

void AddShowOptions(QCommandLineParser &)
{
}

namespace {

QString AllowedText(bool allowed)
{
    return allowed ? QStringLiteral("allowed") : QStringLiteral("forbidden");
}

// The restrictions in force and what the Restrictions section still asks
// for: a request the client has not taken up yet shows as pending.
QJsonArray RestrictionsOf(CUser &user, CCliSession &session)
{
    QJsonArray list;
    const std::optional<QString> path = user.UserFilePath();
    for (int group = 0; group < CRestrictions::GroupCount; ++group) {
        if (!user.LoadRestrictions(group)) {
            session.Fail(QStringLiteral("%1: the restrictions could not be read.")
                             .arg(CCliSession::Text(user.GetLogin())));
            return list;
        }
        const quint16 active = user.GetActiveRestrictions(group);
        for (int bit = 0; bit < CRestrictions::GetKeyCount(group); ++bit) {
            const QByteArray key = CRestrictions::GetKeyName(group, bit);
            const bool bActive = active & (1u << bit);
            QJsonObject item{{QStringLiteral("key"), QString::fromLatin1(key)},
                             {QStringLiteral("state"), AllowedText(bActive)}};
            if (path) {
                const QByteArray requested =
                    Profile::GetString(*path, CRestrictions::RequestSection(), key);
                if (!requested.trimmed().isEmpty()) {
                    const bool bRequested = CrtAtoi(requested) != 0;
                    item.insert(QStringLiteral("requested"), AllowedText(bRequested));
                    item.insert(QStringLiteral("pending"), bRequested != bActive);
                }
            }
            list.append(item);
        }
    }
    return list;
}

QJsonObject ParametersOf(CUser &user)
{
    QJsonObject parameters;
    parameters.insert(QString::fromLatin1(CParameters::YourKey),
                      CCliSession::Text(user.GetYourKey()));
    parameters.insert(QString::fromLatin1(CParameters::NewNoteType), user.GetNewNoteType());
    parameters.insert(QString::fromLatin1(CParameters::CommMode), user.GetCommMode());
    parameters.insert(QString::fromLatin1(CParameters::ReceiveNotesInConfidential),
                      user.GetReceiveNotesInConfidential());
    parameters.insert(QString::fromLatin1(CParameters::RefreshRate), user.GetRefreshRate());
    parameters.insert(QString::fromLatin1(CParameters::UseLogFile), int(user.GetUseLogFile()));
    parameters.insert(QString::fromLatin1(CParameters::DefaultModel),
                      CCliSession::Text(user.GetDefaultModel()));
    return parameters;
}

// What the Parameters section still asks of the client, key by key.
QJsonObject RequestedParametersOf(const CUser &user)
{
    QJsonObject requested;
    const std::optional<QString> path = user.UserFilePath();
    if (!path)
        return requested;
    const std::shared_ptr<const ProfileFile> file = Profile::Load(*path);
    for (const char *key : {CParameters::YourKey, CParameters::NewNoteType, CParameters::CommMode,
                            CParameters::ReceiveNotesInConfidential, CParameters::RefreshRate,
                            CParameters::SharedDir, CParameters::UseLogFile,
                            CParameters::DefaultModel})
        if (const std::optional<QByteArray> value = file->Value("Parameters", key))
            requested.insert(QString::fromLatin1(key), CCliSession::Text(*value));
    return requested;
}

void PrintShow(QTextStream &out, const QJsonObject &user)
{
    const QJsonObject columns = user.value(QStringLiteral("columns")).toObject();
    for (int column = 0; column < CUser::ColumnCount; ++column)
        out << ColumnTitle(column) << ": "
            << columns.value(ColumnTitle(column)).toString() << '\n';
    out << "Restrictions:\n";
    for (const QJsonValue &value : user.value(QStringLiteral("restrictions")).toArray()) {
        const QJsonObject item = value.toObject();
        out << "  " << item.value(QStringLiteral("key")).toString() << ": "
            << item.value(QStringLiteral("state")).toString();
        if (item.contains(QStringLiteral("requested")))
            out << " (requested: " << item.value(QStringLiteral("requested")).toString()
                << (item.value(QStringLiteral("pending")).toBool() ? QStringLiteral(", pending")
                                                                   : QString())
                << ')';
        out << '\n';
    }
    out << "Parameters in force:\n";
    const QJsonObject parameters = user.value(QStringLiteral("parameters")).toObject();
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        out << "  " << it.key() << ": " << it.value().toVariant().toString() << '\n';
    const QJsonObject requested = user.value(QStringLiteral("requested")).toObject();
    if (!requested.isEmpty())
        out << "Parameters requested:\n";
    for (auto it = requested.begin(); it != requested.end(); ++it)
        out << "  " << it.key() << ": " << it.value().toString() << '\n';
    QStringList models;
    for (const QJsonValue &model : user.value(QStringLiteral("models")).toArray())
        models.append(model.toString());
    out << "Models: " << models.join(QStringLiteral(", ")) << '\n';
    out << "Notifications waiting: " << user.value(QStringLiteral("notifications")).toInt()
        << '\n';
    out << "Notes waiting: " << user.value(QStringLiteral("notes")).toInt() << '\n';
}

} // namespace

int RunShow(CCliSession &session, const QCommandLineParser &parser)
{
    const QStringList logins = parser.positionalArguments().mid(1);
    if (logins.size() != 1)
        return session.Usage(QStringLiteral("show takes one login."));
    const QList<CUser *> users = session.FindUsers(logins);
    if (users.isEmpty())
        return session.ExitStatus();
    CUser &user = *users.first();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QJsonObject columns;
    for (int column = 0; column < CUser::ColumnCount; ++column)
        columns.insert(ColumnTitle(column), CCliSession::Text(user.GetColumnText(column, now)));
    QJsonObject result{{QStringLiteral("columns"), columns}};
    if (!user.UserFilePath())
        session.Fail(user.UnusableLoginMessage());
    result.insert(QStringLiteral("restrictions"), RestrictionsOf(user, session));
    result.insert(QStringLiteral("parameters"), ParametersOf(user));
    result.insert(QStringLiteral("requested"), RequestedParametersOf(user));
    QList<QByteArray> models;
    user.GetActiveModels(models);
    QJsonArray modelList;
    for (const QByteArray &model : std::as_const(models))
        modelList.append(CCliSession::Text(model));
    result.insert(QStringLiteral("models"), modelList);
    result.insert(QStringLiteral("notifications"), user.CountNotifications());
    int nNotes = 0;
    QList<quint16> missing;
    if (!user.CheckNotes(nNotes, missing))
        session.Fail(QStringLiteral("%1: the waiting notes could not be read.")
                         .arg(CCliSession::Text(user.GetLogin())));
    result.insert(QStringLiteral("notes"), nNotes);
    if (parser.isSet(QStringLiteral("json")))
        session.Out() << QJsonDocument(result).toJson(QJsonDocument::Indented);
    else
        PrintShow(session.Out(), result);
    return session.ExitStatus();
}

const QList<CCliCommand> &CliCommands()
{
    static const QList<CCliCommand> commands = {
        {QStringLiteral("users"), QStringLiteral("List the users as the window shows them."),
         QString(), AddUsersOptions, RunUsers},
        {QStringLiteral("show"),
         QStringLiteral("Show one user: the list's fields, restrictions, parameters, models and "
                        "what waits."),
         QStringLiteral("LOGIN"), AddShowOptions, RunShow},
        {QStringLiteral("restrict"),
         QStringLiteral("Allow or forbid restriction keys; only keys that differ are written."),
         QStringLiteral("[LOGIN...]"), AddRestrictOptions, RunRestrict},
        {QStringLiteral("set"),
         QStringLiteral("Request client parameters (KEY=VALUE) with the checks of the window."),
         QStringLiteral("LOGIN... KEY=VALUE..."), AddSetOptions, RunSet},
        {QStringLiteral("upgrade"), QStringLiteral("Ask clients to upgrade."),
         QStringLiteral("[LOGIN...]"), AddUpgradeOptions, RunUpgrade},
        {QStringLiteral("models"),
         QStringLiteral("Ask clients to take note models of the shared directory."),
         QStringLiteral("[LOGIN...]"), AddModelsOptions, RunModels},
        {QStringLiteral("log"),
         QStringLiteral("Ask a client for its log file, wait for it, print or save it."),
         QStringLiteral("LOGIN"), AddLogOptions, RunLog},
        {QStringLiteral("clear-log"), QStringLiteral("Empty clients' log files."),
         QStringLiteral("[LOGIN...]"), AddClearLogOptions, RunClearLog},
        {QStringLiteral("groups"),
         QStringLiteral("List, show, add, remove or rename shared or personal groups."),
         QStringLiteral("list|show|add|remove|rename [NAME...]"), AddGroupsOptions, RunGroups},
    };
    return commands;
}
