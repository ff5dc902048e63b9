#pragma once

#include <QObject>

class Browser;
class PictureProbe;
class TypeProbe;
class UrlCache;

// What loads the pages: one per program. It makes a browser for each slot of the search and
// owns the probes that answer for the pages' pictures; what its pages load goes into the URL
// cache it was made with.
class Engine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Engine() override = default;

    virtual Browser* createBrowser(QObject* parent) = 0; // one per browser slot
    virtual UrlCache* cache() = 0;
    // Shared by the search's pages, owned by the engine.
    virtual TypeProbe* typeProbe() = 0;
    virtual PictureProbe* pictureProbe() = 0;
};
