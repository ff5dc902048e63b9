#pragma once

#include "app/clock.h"
#include "platform/browser.h"

#include <QStringList>

// A clock that stands still until the test moves it.
class FakeClock : public Clock {
public:
    double now() const override { return time; }
    double time = 1000;
};

// A browser that loads nothing: navigate records the address, and the test raises the
// events (the signals are public) and sets the document the browser shows.
class FakeBrowser : public Browser {
public:
    using Browser::Browser;

    void navigate(const QString& address) override
    {
        navigations.append(address);
        location = address;
        failed = false;
        shownDocument.reset(); // as the engines: no document until the page completes
    }
    QString locationURL() const override { return location; }
    DocumentPtr document() const override { return shownDocument; }
    bool navigationFailed() const override { return failed; }
    // Recorded only: the test completes the page, or lets it stay silent.
    void finishNow() override { ++finishNowCalls; }

    // The page has completed with this document.
    void complete(DocumentPtr document = {}, bool failedNavigation = false)
    {
        shownDocument = std::move(document);
        failed = failedNavigation;
        emit documentComplete(location);
    }

    QStringList navigations;
    int finishNowCalls = 0;
    QString location;
    bool failed = false;
    DocumentPtr shownDocument;
};

