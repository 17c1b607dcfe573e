#include "StoreTestFiles.h"

#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "store/CBulkWriter.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// Holds the writers that reach it until it is opened, and lets the test
// wait for a number of them to have arrived. A wait that would otherwise
// never end gives up after a minute and says so, so a fault fails the test
// instead of hanging it.
class Gate
{
public:
    void Arrive()
    {
        std::unique_lock lock(m_mutex);
        ++m_arrived;
        m_changed.notify_all();
        if (!m_changed.wait_for(lock, std::chrono::minutes(1), [this] { return m_open; }))
            m_gaveUp = true;
    }
    // Waits for count arrivals in all.
    bool WaitFor(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::minutes(1),
                                  [&] { return m_arrived >= count; });
    }
    void Open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    int Arrived() const
    {
        std::lock_guard lock(m_mutex);
        return m_arrived;
    }
    bool GaveUp() const
    {
        std::lock_guard lock(m_mutex);
        return m_gaveUp;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_arrived = 0;
    bool m_open = false;
    bool m_gaveUp = false;
};

} // namespace

class TestBulkWriter : public QObject
{
    Q_OBJECT

    QString UserPath(const QTemporaryDir &dir, int i) const
    {
        return dir.filePath(QStringLiteral("u%1.ini").arg(i));
    }

    // A task that writes item i's number into its own file; items in
    // failing write into a folder that does not exist.
    CBulkWriter::Task WriteNumber(const QTemporaryDir &dir, const QList<int> &failing = {})
    {
        return [&dir, failing](qsizetype i) {
            const QString path = failing.contains(int(i))
                                     ? dir.filePath(QStringLiteral("missing/u%1.ini").arg(i))
                                     : dir.filePath(QStringLiteral("u%1.ini").arg(i));
            return Profile::WriteString(path, "Restrictions", "canusealarm",
                                        QByteArray::number(i));
        };
    }

private Q_SLOTS:
    void init()
    {
        PlatformTestHooks::Reset();
        Profile::ClearCache();
    }
    void cleanup() { PlatformTestHooks::Reset(); }

    void resultsKeepTheGivenOrder_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("inFlight");
        QTest::addColumn<QList<int>>("failing");
        QTest::newRow("nothing to write") << 0 << 8 << QList<int>{};
        QTest::newRow("one file") << 1 << 8 << QList<int>{};
        QTest::newRow("fewer files than threads") << 3 << 8 << QList<int>{1};
        QTest::newRow("one at a time") << 10 << 1 << QList<int>{0, 9};
        QTest::newRow("eight at a time") << 40 << 8 << QList<int>{5, 6, 39};
    }

    void resultsKeepTheGivenOrder()
    {
        QFETCH(int, count);
        QFETCH(int, inFlight);
        QFETCH(QList<int>, failing);
        QTemporaryDir dir;
        CBulkWriter writer(count, WriteNumber(dir, failing), inFlight);
        QSignalSpy finished(&writer, &CBulkWriter::Finished);
        QList<qsizetype> progress; // arrives queued, on this thread
        connect(&writer, &CBulkWriter::Progress, this,
                [&progress](qsizetype done, qsizetype) { progress.append(done); });
        writer.Start();
        writer.Wait();
        QCoreApplication::processEvents();

        QCOMPARE(finished.count(), 1);
        QCOMPARE(progress.size(), count);
        if (count > 0)
            QCOMPARE(*std::max_element(progress.cbegin(), progress.cend()), qsizetype(count));
        QCOMPARE(writer.GetCount(), qsizetype(count));
        for (int i = 0; i < count; ++i) {
            const CBulkWriter::Item &item = writer.GetItems()[size_t(i)];
            if (failing.contains(i)) {
                QCOMPARE(item.state, CBulkWriter::State::Failed);
                QVERIFY2(item.result.message.contains(QStringLiteral("u%1.ini").arg(i)),
                         qPrintable(item.result.message));
            } else {
                QCOMPARE(item.state, CBulkWriter::State::Written);
                QCOMPARE(ReadFileBytes(UserPath(dir, i)),
                         "[Restrictions]\r\ncanusealarm=" + QByteArray::number(i) + "\r\n");
            }
        }
        QCOMPARE(writer.CountIn(CBulkWriter::State::Failed), qsizetype(failing.size()));
    }

    void filesAreWrittenSideBySide()
    {
        // Every write holds at the moment it is about to replace its file
        // until all four are there: only writes that really run at the
        // same time, through the platform's write path, get past it.
        constexpr int kFiles = 4;
        QTemporaryDir dir;
        Gate gate;
        PlatformTestHooks::SetBeforeReplace([&gate](const QString &) {
            gate.Arrive();
        });
        CBulkWriter writer(kFiles, WriteNumber(dir), kFiles);
        writer.Start();
        const bool allArrived = gate.WaitFor(kFiles);
        gate.Open();
        writer.Wait();
        QVERIFY(allArrived);
        QVERIFY(!gate.GaveUp());
        QCOMPARE(writer.CountIn(CBulkWriter::State::Written), qsizetype(kFiles));
    }

    void cancelStopsBetweenFiles()
    {
        constexpr int kFiles = 10;
        constexpr int kInFlight = 3;
        QTemporaryDir dir;
        const QByteArray before = "[Settings]\r\nsound=1\r\n";
        for (int i = 0; i < kFiles; ++i)
            WriteFileBytes(UserPath(dir, i), before);
        Gate gate;
        PlatformTestHooks::SetBeforeReplace([&gate](const QString &) { gate.Arrive(); });
        CBulkWriter writer(kFiles, WriteNumber(dir), kInFlight);
        writer.Start();
        QVERIFY(gate.WaitFor(kInFlight));
        writer.Cancel();
        gate.Open();
        writer.Wait();

        QVERIFY(writer.IsCancelled());
        QCOMPARE(gate.Arrived(), kInFlight);
        QCOMPARE(writer.CountIn(CBulkWriter::State::Written), qsizetype(kInFlight));
        QCOMPARE(writer.CountIn(CBulkWriter::State::NotStarted), qsizetype(kFiles - kInFlight));
        for (int i = 0; i < kFiles; ++i) {
            const bool written = writer.GetItems()[size_t(i)].state == CBulkWriter::State::Written;
            // What was started is whole; what was not is byte for byte as it was.
            QCOMPARE(ReadFileBytes(UserPath(dir, i)),
                     written ? before + "[Restrictions]\r\ncanusealarm=" + QByteArray::number(i)
                                   + "\r\n"
                             : before);
        }
    }
};

QTEST_GUILESS_MAIN(TestBulkWriter)
#include "tst_bulkwriter.moc"
