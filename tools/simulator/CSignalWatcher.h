#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a signal of the event loop: the handler only
// writes one byte into a pipe, and a socket notifier on the other end raises
// Terminated on the thread that created the watcher. One watcher per process.
class CSignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit CSignalWatcher(QObject *parent = nullptr);
    ~CSignalWatcher() override;

    bool IsInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void Terminated(int signalNumber);

private:
    void Drain();

    QSocketNotifier *m_notifier = nullptr;
};
