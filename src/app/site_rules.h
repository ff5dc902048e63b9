#pragma once

#include "links/harvest_rules.h"
#include "links/robots_rules.h"
#include "platform/site_files.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Clock;
class PageTable;
struct PageRow;

// What the search reads of the sites' own files. Both on by default.
struct Politeness {
    bool obeyRobots = true;   // off: --ignore-robots
    bool readSitemaps = true; // off: --no-sitemaps
};

// The sites' word on the search. A site's robots.txt (scheme, host and port) is fetched once,
// before its first harvested page: it decides which harvested links are queued, and its
// Crawl-delay spaces the site's page dispatches. Its sitemaps (the Sitemap lines, else
// /sitemap.xml) add their pages as links harvested at depth 1. A start address the user typed
// is always loaded. Without site files nothing is fetched and every link the harvest rules
// accept is queued.
class SiteRules : public QObject {
    Q_OBJECT
public:
    static constexpr double kMaxCrawlDelay = 30; // seconds
    // A robots.txt is read up to this size (its first RobotsRules::kMaxBytes parsed); a larger
    // one counts as one that could not be had.
    static constexpr qint64 kMaxRobotsFileBytes = 4 * RobotsRules::kMaxBytes;
    // Sitemap files read for one site: those robots.txt names and those their indexes name.
    static constexpr int kMaxSitemapFiles = 100;

    // queryPages, when given, keeps the harvest's rules against query traps.
    SiteRules(const Clock& clock, PageTable& pages, const SiteList& sites, const CrawlLimits& limits,
              QueryPages* queryPages = nullptr);

    // files: not owned; none turns all of it off.
    void setFiles(SiteFiles* files, Politeness politeness = {});
    // For a search not yet started: what the user asked of robots.txt and sitemaps.
    void setPoliteness(Politeness politeness) { m_politeness = politeness; }

    // Harvested links at this depth: those the harvest rules and the robots.txt of their site
    // accept become waiting rows. Links of a site whose robots.txt is on its way wait for it.
    void harvest(const QStringList& links, int depth);
    // At a search's start: robots.txt (and sitemaps, for the sites of start addresses) of the
    // sites whose rows are waiting.
    void searchStarted();
    // The first waiting row whose site may be dispatched now and that held does not pass
    // over (a site told to come back later), or nothing.
    std::optional<int> nextRow(const std::function<bool(const PageRow&)>& held = {});
    // The row at this position was dispatched now.
    void dispatched(int position);
    // When nextRow() last held a site back for its Crawl-delay: the earliest time it opens,
    // if that is after now.
    std::optional<double> nextOpening(double now) const;
    // No site file on its way and no link waiting for one.
    bool isIdle() const { return m_requests.isEmpty() || !m_files; }
    // Links robots.txt kept out of the queue, each address once.
    int disallowedCount() const { return int(m_disallowed.size()); }

signals:
    // Rows were queued or a site's rules arrived: dispatch may go on.
    void changed();
    // A site's robots.txt could not be had; said once per site.
    void notice(const QString& text);

private:
    enum class FileKind { Robots, Sitemap, IndexedSitemap };
    struct Request {
        QString site;
        FileKind kind;
    };
    struct Site {
        enum class Rules { Unasked, Asked, Known };
        Rules state = Rules::Unasked;
        RobotsRules rules;
        std::optional<double> lastDispatch;
        QList<std::pair<QString, int>> waitingLinks; // address, depth
        bool sitemapsWanted = false;
        bool sitemapsRead = false;
        int sitemapFiles = 0;
    };

    bool obeying() const { return m_files && m_politeness.obeyRobots; }
    void admit(const QString& link, int depth);
    void addPage(const QString& address, int depth);
    Site& askRobots(const QString& site);
    void readSitemaps(const QString& site);
    void fetchSitemap(const QString& site, const QString& address, FileKind kind);
    void fetched(const QString& address, const SiteFile& file);
    void robotsArrived(const QString& site, const SiteFile& file);
    void sitemapArrived(const QString& site, FileKind kind, const SiteFile& file);
    // Whether a waiting row of this site and depth may be dispatched at now.
    bool mayDispatch(const QString& site, int depth, double now);

    const Clock& m_clock;
    PageTable& m_pages;
    const SiteList& m_sites;
    const CrawlLimits& m_limits;
    QueryPages* m_queryPages;
    QPointer<SiteFiles> m_files;
    Politeness m_politeness;
    QHash<QString, Site> m_siteStates;
    QHash<QString, Request> m_requests; // by the address fetched
    QSet<QString> m_sitemapsAsked;
    QSet<QString> m_disallowed;
    std::optional<double> m_nextOpening;
};

// The site of a web address as robots.txt is kept per site, "scheme://host:port", and the
// path with its query as robots.txt rules match it; nothing for an address that is not http
// or https.
struct RobotsAddress {
    QString site;
    QByteArray pathAndQuery;
};
std::optional<RobotsAddress> robotsAddress(const QString& address);
