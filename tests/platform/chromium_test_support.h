#pragma once

// What the Chromium engine tests share: the engine with its cache, the loopback site with
// the script pages, and a main() that prepares Chromium before the application object.
// loadPage, the bounded wait for a page, is the net tests'.

#include "chromium_test_main.h"
#include "net_test_support.h"
#include "platform/chromium/chromium_engine.h"
#include "platform/url_cache.h"
#include "site/script_routes.h"
#include "site/test_site.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

// Budgets shorter than the program's, so that a page that never settles costs seconds.
inline SettleBudget testBudget()
{
    SettleBudget budget;
    budget.scrollMs = 3'000;
    budget.quietLimitMs = 3'000;
    budget.loadMs = 10'000;
    budget.snapshotMs = 5'000;
    return budget;
}

struct ChromiumFixture {
    UrlCache cache;
    ChromiumEngine engine{&cache, testBudget()};
    TestSite site;
    std::unique_ptr<Browser> browser{engine.createBrowser(nullptr)};

    bool listen()
    {
        addScriptRoutes(site);
        return site.listen();
    }
};
