#pragma once

#include "platform/engine.h"
#include "platform/http/http_settings.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <variant>

class Browser;
class CurlSession;
class QWidget;
class UrlCache;
class WorkerThreads;

// Which engine loads the pages: the net engine (libcurl and gumbo), or Chromium, whose pages
// run their scripts; Chromium only where the program was built with Qt WebEngine.
enum class EngineKind { Net, Chromium };

struct EngineChoice {
    EngineKind kind = EngineKind::Net;
    HttpSettings http; // what every request of the engine sends
    int pageTimeoutMs = 0; // the search's page time-out, which the engine's own waits fit in; 0: its default
    bool keepPictureBytes = true; // off where nothing takes pictures from the cache
};

struct BuiltEngine {
    std::unique_ptr<Engine> engine;
    // The engine's curl session: robots.txt, sitemaps, thumbnails and downloads go as its
    // pages go, with the same identity, cookies and trust.
    CurlSession* session = nullptr;
    QStringList notes; // what the settings made of the user's files, to be said once
};

// Builds the engine; fails with the reason when the settings cannot be used (an unreadable
// cookies or CA file) or the engine is not part of this build. The net engine parses its
// pages on workers, which must outlive it; with none, on the event loop's thread.
std::variant<BuiltEngine, QString> buildEngine(const EngineChoice& choice, UrlCache* cache,
                                               WorkerThreads* workers = nullptr);

// True when this build has the Chromium engine.
bool chromiumInBuild();

// Call before the application object is made: Chromium reads its settings then.
void prepareEngineRuntime();

// The widget that shows the browser's live page, where its engine has one (Chromium); null
// otherwise.
QWidget* livePageView(Browser* browser);
