#pragma once

#include "platform/engine.h"
#include "platform/http/http_settings.h"

#include <QString>
#include <QList>
#include <QStringList>

#include <memory>
#include <optional>
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
    int slotCount = 3; // browsers made, one per slot of the search
};

struct BuiltEngine {
    std::unique_ptr<Engine> engine;
    QList<Browser*> browsers; // one per slot, owned by the engine
    // The engine's curl session: robots.txt, sitemaps, thumbnails and downloads go as its
    // pages go, with the same identity, cookies and trust.
    CurlSession* session = nullptr;
    QStringList notes; // what the settings made of the user's files, to be said once
    // A file the settings name could not be read: the engine goes on without the settings,
    // which the headless search refuses and the window tells.
    std::optional<QString> settingsFailure;
};

// Builds the engine and its browsers, their cookies taken before the first page; fails when
// the engine is not part of this build. The net engine parses its pages on workers, which
// must outlive it; with none, on the event loop's thread.
std::variant<BuiltEngine, QString> buildEngine(const EngineChoice& choice, UrlCache* cache,
                                               WorkerThreads* workers = nullptr);

// True when this build has the Chromium engine.
bool chromiumInBuild();

// Call before the application object is made: Chromium reads its settings then.
void prepareEngineRuntime();

// The widget that shows the browser's live page, where its engine has one (Chromium); null
// otherwise.
QWidget* livePageView(Browser* browser);
