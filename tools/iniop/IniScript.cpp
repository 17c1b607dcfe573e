#include "IniScript.h"

#include "platform/ProfileBuffer.h"

#include <QFile>

namespace {

using Arg = ProfileBuffer::Arg;

QByteArray ReadResult(const ProfileBuffer::Read &r)
{
    return "ret=" + QByteArray::number(r.ret) + " buf=\"" + IniScript::Escape(r.buffer) + '"';
}

QByteArray WriteResult(const ProfileBuffer::Write &w)
{
    return w.ok ? QByteArrayLiteral("ret=1") : "ret=0 err=" + QByteArray::number(w.error);
}

QByteArray Error(const QByteArray &why)
{
    return "error " + why;
}

QString PathOf(const Arg &token)
{
    return QFile::decodeName(token.value_or(QByteArray()));
}

bool ToNumber(const Arg &token, qint64 &out)
{
    bool ok = false;
    out = token ? token->toLongLong(&ok) : 0;
    return ok;
}

QByteArray Put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return Error("cannot write " + QFile::encodeName(path));
    return QByteArrayLiteral("ret=1");
}

QByteArray Cat(const QString &path)
{
    QFile f(path);
    if (!f.exists())
        return QByteArrayLiteral("file=<missing>");
    if (!f.open(QIODevice::ReadOnly))
        return Error("cannot read " + QFile::encodeName(path));
    return "file=\"" + IniScript::Escape(f.readAll()) + '"';
}

} // namespace

QList<QByteArray> IniScript::Tokenize(const QByteArray &line)
{
    QList<QByteArray> tokens;
    QByteArray current;
    bool inToken = false;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (inToken)
                tokens.append(current);
            current.clear();
            inToken = false;
        } else {
            current += c;
            inToken = true;
        }
    }
    if (inToken)
        tokens.append(current);
    return tokens;
}

std::optional<QByteArray> IniScript::Unescape(const QByteArray &token)
{
    if (token == "NULL")
        return std::nullopt;
    if (token == "\"\"")
        return QByteArray("");
    QByteArray out;
    out.reserve(token.size());
    for (qsizetype i = 0; i < token.size(); ++i) {
        const char c = token.at(i);
        if (c != '\\' || i + 1 >= token.size()) {
            out += c;
            continue;
        }
        const char e = token.at(++i);
        switch (e) {
        case 's': out += ' '; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case '0': out += '\0'; break;
        case 'x': {
            bool ok = false;
            const int v = token.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(v);
                i += 2;
            } else {
                out += "\\x";
            }
            break;
        }
        default: out += e; break; // \\ and \" and anything else stand for themselves
        }
    }
    return out;
}

QByteArray IniScript::Escape(const QByteArray &bytes)
{
    static const char hex[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const uchar c = uchar(ch);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case 0: out += "\\0"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default:
            if (c >= 0x20 && c < 0x7f) {
                out += char(c);
            } else {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            }
        }
    }
    return out;
}

std::optional<QByteArray> IniScript::Execute(const QByteArray &line)
{
    const QList<QByteArray> words = Tokenize(line);
    if (words.isEmpty() || words.front().startsWith('#'))
        return std::nullopt;
    const QByteArray &cmd = words.front();
    QList<Arg> a;
    for (qsizetype i = 1; i < words.size(); ++i)
        a.append(Unescape(words.at(i)));
    auto need = [&](qsizetype n) { return a.size() == n; };
    qint64 number = 0;

    if (cmd == "get" && need(5) && ToNumber(a[4], number))
        return ReadResult(ProfileBuffer::GetString(PathOf(a[0]), a[1], a[2], a[3], quint32(number)));
    if (cmd == "getint" && need(4) && ToNumber(a[3], number)) {
        const quint32 r = ProfileBuffer::GetInt(PathOf(a[0]), a[1], a[2], qint32(number));
        return "ret=" + QByteArray::number(r) + " (" + QByteArray::number(qint32(r)) + ')';
    }
    if (cmd == "section" && need(3) && ToNumber(a[2], number))
        return ReadResult(ProfileBuffer::GetSection(PathOf(a[0]), a[1], quint32(number)));
    if (cmd == "sections" && need(2) && ToNumber(a[1], number))
        return ReadResult(ProfileBuffer::GetSectionNames(PathOf(a[0]), quint32(number)));
    if (cmd == "write" && need(4))
        return WriteResult(ProfileBuffer::WriteString(PathOf(a[0]), a[1], a[2], a[3]));
    if (cmd == "writesection" && need(3))
        return WriteResult(ProfileBuffer::WriteSection(PathOf(a[0]), a[1], a[2]));
    if (cmd == "flush" && need(1))
        return WriteResult(ProfileBuffer::WriteString(PathOf(a[0]), {}, {}, {}));
    if (cmd == "put" && need(2))
        return Put(PathOf(a[0]), a[1].value_or(QByteArray()));
    if (cmd == "cat" && need(1))
        return Cat(PathOf(a[0]));
    if (cmd == "rm" && need(1)) {
        QFile::remove(PathOf(a[0]));
        return QByteArrayLiteral("ret=1");
    }
    if (cmd == "info")
        return QByteArrayLiteral("iniop: Windows profile calls over the Corvane platform layer");
    return Error("cannot run: " + Escape(line));
}
