// A client that writes one profile file the way the Windows clients do
// (read everything, change it in memory, truncate, write it all again, no
// lock), each write adding a key of its own: "<prefix><n>=<n>" in one
// section. Tests and benchmarks play it against the tool's writer.
//
// --step reads a line from standard input before each write and prints
// "wrote <n>" after it; --hold-truncated prints "truncated" between the
// truncate and the write of the first write and waits for a line; with
// --hold-read the pause comes between the read and the truncate instead.

#include "CWin32ProfileWriter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cstdio>
#include <unistd.h>

namespace {

void WaitForLine()
{
    char line[64];
    if (!std::fgets(line, sizeof line, stdin))
        std::exit(3); // the test that drives this one went away
}

void Say(const char *text)
{
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption file(QStringLiteral("file"), QStringLiteral("The profile file."),
                                  QStringLiteral("path"));
    const QCommandLineOption mode(QStringLiteral("mode"),
                                  QStringLiteral("inplace, reopen, held or append."),
                                  QStringLiteral("mode"), QStringLiteral("inplace"));
    const QCommandLineOption count(QStringLiteral("count"), QStringLiteral("Writes to make."),
                                   QStringLiteral("n"), QStringLiteral("1000"));
    const QCommandLineOption first(QStringLiteral("first"), QStringLiteral("Number of the first key."),
                                   QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption pace(QStringLiteral("pace-us"),
                                  QStringLiteral("Pause after each write, in microseconds."),
                                  QStringLiteral("us"), QStringLiteral("0"));
    const QCommandLineOption section(QStringLiteral("section"), QStringLiteral("Section to write."),
                                     QStringLiteral("name"), QStringLiteral("Client"));
    const QCommandLineOption prefix(QStringLiteral("prefix"), QStringLiteral("Key prefix."),
                                    QStringLiteral("text"), QStringLiteral("c"));
    const QCommandLineOption step(QStringLiteral("step"),
                                  QStringLiteral("Wait for a line before each write."));
    const QCommandLineOption holdTruncated(QStringLiteral("hold-truncated"),
                                           QStringLiteral("Pause the first write after its truncate."));
    const QCommandLineOption holdRead(QStringLiteral("hold-read"),
                                      QStringLiteral("Pause the first write after its read."));
    const QCommandLineOption stop(QStringLiteral("stop-file"),
                                  QStringLiteral("Stop early once this file exists."),
                                  QStringLiteral("path"));
    parser.addOptions({file, mode, count, first, pace, section, prefix, step, holdTruncated, holdRead,
                       stop});
    parser.process(app);

    CWin32ProfileWriter::Mode m;
    if (!parser.isSet(file) || !CWin32ProfileWriter::ParseMode(parser.value(mode), m)) {
        std::fprintf(stderr, "corvane-lockless-writer: --file is required; --mode is inplace, "
                             "reopen, held or append\n");
        return 2;
    }
    CWin32ProfileWriter writer(m);
    bool holding = parser.isSet(holdTruncated) || parser.isSet(holdRead);
    const auto hold = [&](const char *what) {
        if (!holding)
            return;
        holding = false;
        Say(what);
        WaitForLine();
    };
    if (parser.isSet(holdTruncated))
        writer.SetAfterTruncate([&] { hold("truncated"); });
    if (parser.isSet(holdRead))
        writer.SetAfterRead([&] { hold("read"); });

    const QString path = parser.value(file);
    const QByteArray sectionName = parser.value(section).toLatin1();
    const QByteArray keyPrefix = parser.value(prefix).toLatin1();
    const qint64 n = parser.value(count).toLongLong();
    const qint64 from = parser.value(first).toLongLong();
    const qint64 pauseUs = parser.value(pace).toLongLong();
    qint64 written = 0, failed = 0;
    const QByteArray stopPath = QFile::encodeName(parser.value(stop));
    for (qint64 i = from; i < from + n; ++i) {
        if (!stopPath.isEmpty() && (i - from) % 16 == 0 && ::access(stopPath.constData(), F_OK) == 0)
            break;
        if (parser.isSet(step))
            WaitForLine();
        const QByteArray value = QByteArray::number(i);
        if (writer.Write(path, sectionName, keyPrefix + value, &value))
            ++written;
        else
            ++failed;
        if (parser.isSet(step))
            Say(QByteArray("wrote " + value).constData());
        if (pauseUs > 0)
            QThread::usleep(quint64(pauseUs));
    }
    std::printf("written=%lld\nfailed=%lld\n", written, failed);
    return 0;
}
