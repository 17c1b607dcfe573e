#include "platform/CodePage.h"

#include <QMutex>
#include <QStringDecoder>
#include <QStringEncoder>
#include <atomic>

namespace {

struct Current
{
    QMutex mutex;
    QByteArray name = CodePage::kDefaultName;
    // Raised on every change, so that each thread renews its converters.
    std::atomic<unsigned> generation{1};
};

Current &Shared()
{
    static Current current;
    return current;
}

constexpr auto kFlags = QStringConverter::Flag::Stateless;

// Converters are not shareable between threads; each thread keeps its own
// pair for the current code page.
struct Converters
{
    unsigned generation = 0;
    QStringDecoder decoder;
    QStringEncoder encoder;
};

Converters &Local()
{
    thread_local Converters converters;
    Current &current = Shared();
    const unsigned generation = current.generation.load(std::memory_order_acquire);
    if (converters.generation != generation) {
        QByteArray name;
        {
            QMutexLocker lock(&current.mutex);
            name = current.name;
        }
        converters.decoder = QStringDecoder(name.constData(), kFlags);
        converters.encoder = QStringEncoder(name.constData(), kFlags);
        converters.generation = generation;
    }
    return converters;
}

QByteArray EncodeWith(QStringEncoder &encoder, QStringView text)
{
    encoder.resetState();
    return encoder.encode(text);
}

QString DecodeWith(QStringDecoder &decoder, QByteArrayView bytes)
{
    decoder.resetState();
    return decoder.decode(bytes);
}

} // namespace

QStringList CodePage::OfferedNames()
{
    // The Windows ANSI code pages: Western and Central European, Cyrillic,
    // Greek, Turkish, Hebrew, Arabic, Baltic, Vietnamese, Thai, and the four
    // East Asian double-byte pages.
    return {QStringLiteral("windows-1252"), QStringLiteral("windows-1250"),
            QStringLiteral("windows-1251"), QStringLiteral("windows-1253"),
            QStringLiteral("windows-1254"), QStringLiteral("windows-1255"),
            QStringLiteral("windows-1256"), QStringLiteral("windows-1257"),
            QStringLiteral("windows-1258"), QStringLiteral("windows-874"),
            QStringLiteral("windows-932"),  QStringLiteral("windows-936"),
            QStringLiteral("windows-949"),  QStringLiteral("windows-950")};
}

QString CodePage::Check(const QString &name)
{
    const QByteArray bytes = name.trimmed().toLatin1();
    if (bytes.isEmpty())
        return QStringLiteral("No code page is named.");
    QStringDecoder decoder(bytes.constData(), kFlags);
    QStringEncoder encoder(bytes.constData(), kFlags);
    if (!decoder.isValid() || !encoder.isValid())
        return QStringLiteral("\"%1\" is not a code page known here.").arg(name);
    // Section brackets, '=' and line ends must mean in the clients' files
    // what they mean in ASCII.
    QByteArray ascii;
    for (char c = 0x20; c < 0x7f; ++c)
        ascii += c;
    ascii += "\t\r\n";
    if (encoder.encode(QString::fromLatin1(ascii)) != ascii
        || decoder.decode(ascii) != QString::fromLatin1(ascii))
        return QStringLiteral("\"%1\" does not keep plain ASCII text as it is, so the clients' "
                              "files cannot be written in it.")
            .arg(name);
    return {};
}

bool CodePage::SetCurrent(const QString &name)
{
    if (!Check(name).isEmpty())
        return false;
    Current &current = Shared();
    QMutexLocker lock(&current.mutex);
    current.name = name.trimmed().toLatin1();
    current.generation.fetch_add(1, std::memory_order_acq_rel);
    return true;
}

QString CodePage::CurrentName()
{
    Current &current = Shared();
    QMutexLocker lock(&current.mutex);
    return QString::fromLatin1(current.name);
}

QString CodePage::Decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    QStringDecoder &decoder = Local().decoder;
    QString text = DecodeWith(decoder, bytes);
    if (!decoder.hasError())
        return text;
    // The converter drops a lead byte at the end that has no trail byte;
    // a line feed, never a trail byte, makes it show. And what it puts for
    // bytes outside the code page is shown as a replacement character.
    QByteArray padded = bytes.toByteArray();
    padded += '\n';
    text = DecodeWith(decoder, padded);
    text.chop(1);
    if (!bytes.contains('\x1a'))
        text.replace(QChar(0x1a), QChar::ReplacementCharacter);
    return text;
}

std::optional<QByteArray> CodePage::Encode(const QString &text)
{
    Converters &c = Local();
    QByteArray bytes = EncodeWith(c.encoder, text);
    // A character without a place in the code page comes back as a
    // substitute (or a best fit), so the round trip tells.
    if (DecodeWith(c.decoder, bytes) != text)
        return std::nullopt;
    return bytes;
}

QByteArray CodePage::EncodeLossy(const QString &text)
{
    return EncodeWith(Local().encoder, text);
}

QString CodePage::Unencodable(const QString &text)
{
    QString missing;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, n);
        if (!Encode(one) && !missing.contains(one))
            missing += one;
        i += n;
    }
    return missing;
}

bool CodePage::RoundTrips(QByteArrayView bytes)
{
    Converters &c = Local();
    return EncodeWith(c.encoder, DecodeWith(c.decoder, bytes)) == bytes;
}
