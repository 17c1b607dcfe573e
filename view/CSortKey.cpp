#include "view/CSortKey.h"

#include "platform/CodePage.h"
#include "store/CUser.h"
#include "store/CUserStatus.h"

#include <QString>

#include <cstring>

namespace {

enum class Letters { Lower, Upper, NotAscii };

Letters LettersOf(QByteArrayView text)
{
    Letters letters = Letters::Lower;
    for (char c : text) {
        if (uchar(c) >= 0x80)
            return Letters::NotAscii;
        if (c >= 'A' && c <= 'Z')
            letters = Letters::Upper;
    }
    return letters;
}

} // namespace

CSortKey::Kind CSortKey::KindOf(int nField)
{
    switch (nField) {
    case CUser::ColLogin:
    case CUser::ColFullName:
    case CUser::ColConnected:
    case CUser::ColVersion:
    case CUser::ColLevel:
    case CUser::ColLanguage:
        return Kind::Text;
    case CUser::ColLogon:
    case CUser::ColLogoff:
    case CUser::ColLastInstall:
        return Kind::Time;
    case CUser::ColOS:
        return Kind::Number;
    default:
        return Kind::None; // "Old Version" and anything unknown: all rows equal
    }
}

QByteArray CSortKey::TextKey(QByteArrayView text)
{
    switch (LettersOf(text)) {
    case Letters::Lower:
        return QByteArray::fromRawData(text.data(), text.size());
    case Letters::Upper:
        return text.toByteArray().toLower();
    case Letters::NotAscii:
        break;
    }
    return CodePage::Decode(text).toCaseFolded().toUtf8();
}

qint64 CSortKey::NumberKey(const CUserStatus &status, int nField)
{
    switch (nField) {
    case CUser::ColLogon: return status.logonTime;
    case CUser::ColLogoff: return status.logoffTime;
    case CUser::ColLastInstall: return status.lastInstallTime;
    case CUser::ColOS: return status.os;
    default: return 0;
    }
}

int CSortKey::CompareTexts(QByteArrayView a, QByteArrayView b)
{
    const int c = TextKey(a).compare(TextKey(b));
    return (c > 0) - (c < 0);
}

CSortKey::Packed CSortKey::Packed::Make(const QByteArray &key, int nRow)
{
    quint64 nPrefix = 0;
    for (qsizetype i = 0; i < 8; ++i)
        nPrefix = (nPrefix << 8) | (i < key.size() ? uchar(key[i]) : 0u);
    return {nPrefix, &key, nRow};
}

bool CSortKey::Packed::operator<(const Packed &other) const
{
    if (nPrefix != other.nPrefix)
        return nPrefix < other.nPrefix;
    const qsizetype nSize = pKey->size();
    const qsizetype nOther = other.pKey->size();
    if (nSize > 8 && nOther > 8) {
        const int c = std::memcmp(pKey->constData() + 8, other.pKey->constData() + 8,
                                  size_t(qMin(nSize, nOther) - 8));
        if (c != 0)
            return c < 0;
    }
    if (nSize != nOther)
        return nSize < nOther;
    return nRow < other.nRow;
}
