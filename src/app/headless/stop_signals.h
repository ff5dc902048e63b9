#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// SIGINT and SIGTERM turned into an event of the loop: the handler only notes the signal
// and writes a byte to a pipe, whose reading end the event loop watches. While one of
// these lives, the two signals no longer end the process; the previous handlers come back
// when it goes.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // The last signal received, 0 when none came.
    int received() const;

signals:
    void stopRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};
