#pragma once

#include "platform/document.h"

#include <QObject>
#include <QString>

#include <optional>

// One embedded browser, the engine of a browser slot. navigate() returns at once; every
// event is delivered later from the event loop, never from inside navigate(). An engine
// shows no dialog and opens or closes no window for its pages: it refuses them itself.
class Browser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Browser() override = default;

    // Cancels whatever was loading. locationURL() is the new address from the moment this
    // returns. "about:blank" gives an empty document and completes.
    virtual void navigate(const QString& address) = 0;
    virtual QString locationURL() const = 0;
    // The top document of the last completed navigation; null from navigate() until the
    // navigation completes, and so at navigateComplete2, except for "about:blank", whose
    // empty document is there from navigateComplete2 on.
    virtual DocumentPtr document() const = 0;
    // True when the last navigation got no response, or an HTTP status of 400 or more.
    virtual bool navigationFailed() const = 0;
    // The page has run out of time: stop loading and complete with what has arrived.
    // documentComplete follows from the event loop, with a document of what the page has (a
    // page that gave no document at all completes as failed). Does nothing when idle.
    virtual void finishNow() = 0;
    // The last navigation was answered 429 or 503: the wait the server asked for in seconds,
    // 0 when it named none. Engines that cannot tell say nothing.
    virtual std::optional<double> retryAfterSeconds() const { return std::nullopt; }

signals:
    void statusTextChange(const QString& text);
    void progressChange(int progress, int maximum);
    // The top document's response has arrived.
    void navigateComplete2(const QString& address);
    // The page, with its frames, style sheets and pictures, is done or has failed.
    void documentComplete(const QString& address);
};
