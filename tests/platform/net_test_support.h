#pragma once

// What the net engine tests share: an engine with its cache, the loopback site, and a
// bounded wait for a page.

#include "platform/net/net_engine.h"
#include "platform/net/page_load.h"
#include "platform/url_cache.h"
#include "site/test_site.h"

#include <QSignalSpy>
#include <QStringList>

#include <memory>

struct NetFixture {
    // workers parse the pages; none: at once, on the test's thread.
    explicit NetFixture(int pictureGraceMs = PageLoad::kPictureGraceMs, WorkerThreads* workers = nullptr)
        : engine(&cache, workers)
    {
        engine.setPictureGraceMs(pictureGraceMs);
        browser.reset(engine.createBrowser(nullptr));
    }

    UrlCache cache;
    NetEngine engine;
    TestSite site;
    std::unique_ptr<Browser> browser;
};

// Navigates and waits for the completion; the document, or null when none came in time.
inline DocumentPtr loadPage(Browser& browser, const QString& address, int timeoutMs = 15'000)
{
    QSignalSpy complete(&browser, &Browser::documentComplete);
    browser.navigate(address);
    if (!complete.wait(timeoutMs))
        return nullptr;
    return browser.document();
}

// The value of a member as the tests write it: "<none>" for a member the element lacks.
inline QString memberText(const Element& element, const QString& member)
{
    std::optional<QString> value;
    if (member == QLatin1String("outerhtml"))
        value = element.outerHTML();
    else if (member == QLatin1String("innerhtml"))
        value = element.innerHTML();
    else
        value = element.member(member);
    return value.value_or(QStringLiteral("<none>"));
}

// A document and its frames as text: "title[frame,frame]", "-" for a frame that reads as
// nothing.
inline QString frameTree(const DocumentPtr& document)
{
    if (!document)
        return QStringLiteral("-");
    QStringList frames;
    for (const DocumentPtr& frame : document->frames())
        frames.append(frameTree(frame));
    return document->title() + QLatin1Char('[') + frames.join(QLatin1Char(',')) + QLatin1Char(']');
}
