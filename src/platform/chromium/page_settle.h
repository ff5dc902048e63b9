#pragma once

#include "platform/chromium/settle_budget.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariantList>

class QWebEnginePage;
class RequestActivity;

// After a page has loaded: looks at it every few milliseconds, scrolling it to the bottom
// while it grows, until nothing changes (its height, its requests made and finished) for a
// while: briefly when every request it made has finished, longer while one is open. Ends
// when its budget is spent or the deadline has passed, so settled() always comes, later,
// from the event loop.
class PageSettle : public QObject {
    Q_OBJECT
public:
    PageSettle(QWebEnginePage* page, const RequestActivity* activity, SettleBudget budget,
               QDeadlineTimer deadline, QObject* parent = nullptr);

    void start();

signals:
    void settled();

private:
    void look();
    void looked(const QVariantList& result);
    void finish();

    // What a look saw.
    struct Look {
        qint64 height = -1;
        qint64 finished = -1; // resources
        int requests = -1;    // made since the page began
        bool operator==(const Look&) const = default;
    };

    QPointer<QWebEnginePage> m_page;
    const RequestActivity* m_activity;
    SettleBudget m_budget;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QElapsedTimer m_unchanged; // since the last change seen
    Look m_last;
    int m_growths = 0;
    bool m_waitingForScript = false;
    bool m_done = false;
};
