#include "store/CParameters.h"

#include "store/CUser.h"

namespace {

const QByteArray kActiveSection = QByteArrayLiteral("ActiveParameters");
const QByteArray kRequestSection = QByteArrayLiteral("Parameters");

ProfileResult Write(const CUser &user, const char *key, const QByteArray &value)
{
    const std::optional<QString> path = user.UserFilePath();
    if (!path)
        return ProfileResult::Failure(87, user.UnusableLoginMessage());
    // Taken up once the client has it in force; the client does not report
    // every parameter back, so without that the write is watched for a while.
    const QByteArray name(key);
    return Profile::WriteString(*path, kRequestSection, name, value,
                                [name, value](const ProfileFile &file) {
                                    return file.Value(kActiveSection, name) == value;
                                });
}

} // namespace

int CParameters::ReadInt(const CUser &user, const char *key, int def)
{
    const std::optional<QString> path = user.UserFilePath();
    if (!path)
        return def;
    bool failed = false;
    const quint32 value = Profile::GetInt(*path, kActiveSection, key, quint32(def), &failed);
    // GetPrivateProfileInt wraps modulo 2^32, so "-1" arrives as 0xFFFFFFFF.
    return failed ? def : int(value);
}

quint16 CParameters::ReadUInt16(const CUser &user, const char *key, quint16 def)
{
    return quint16(ReadInt(user, key, def) & 0xFFFF);
}

QByteArray CParameters::ReadText(const CUser &user, const char *key)
{
    const std::optional<QString> path = user.UserFilePath();
    if (!path)
        return {};
    bool failed = false;
    const QByteArray value = Profile::GetString(*path, kActiveSection, key, {}, &failed);
    return failed ? QByteArray() : value.left(TextLimit);
}

ProfileResult CParameters::WriteInt(const CUser &user, const char *key, int value)
{
    return Write(user, key, QByteArray::number(value));
}

ProfileResult CParameters::WriteText(const CUser &user, const char *key, const QByteArray &value)
{
    return Write(user, key, value);
}

QString CParameters::CheckText(const QByteArray &value)
{
    if (QString why = Profile::CheckValue(value); !why.isEmpty())
        return why;
    if (value.size() > TextLimit)
        return QStringLiteral("The value is longer than %1 characters; the client would cut it.")
            .arg(TextLimit);
    return QString();
}
