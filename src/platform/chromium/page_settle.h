#pragma once

#include "platform/chromium/settle_budget.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWebEnginePage;
class RequestActivity;

// After a page has loaded: scrolls it to the bottom in steps until its height stops growing,
// then waits until its network has been quiet for a while. Either phase ends when its budget
// is spent or the deadline has passed, so settled() always comes, later, from the event loop.
class PageSettle : public QObject {
    Q_OBJECT
public:
    PageSettle(QWebEnginePage* page, const RequestActivity* activity, SettleBudget budget,
               QDeadlineTimer deadline, QObject* parent = nullptr);

    void start();

signals:
    void settled();

private:
    void scrollStep();
    void quietCheck();
    void finish();

    QPointer<QWebEnginePage> m_page;
    const RequestActivity* m_activity;
    SettleBudget m_budget;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
    QElapsedTimer m_phase;
    int m_steps = 0;
    qint64 m_lastHeight = -1;
    // What the network did when last looked at, and since when it has not changed.
    int m_lastRequests = -1;
    qint64 m_lastEntries = -1;
    QElapsedTimer m_unchanged;
    bool m_quietPhase = false;
    bool m_waitingForScript = false;
    bool m_done = false;
};
