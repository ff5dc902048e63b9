#pragma once

#include "links/site_scope.h"

#include <QHash>
#include <QString>

#include <optional>

// The extension of a page link's last path component, query included (page.asp?id=1 gives
// "", being longer than 6 characters): the harvest's notion of a link type.
QString getLinkExtension(const QString& address);

// Bounds the user puts on a search; nothing means no bound.
struct CrawlLimits {
    std::optional<int> maxPages; // rows the page table grows to by harvesting
    std::optional<int> maxDepth; // start pages are at depth 0, their links at 1, ...
};

// What the harvest remembers of the pages it added with a query, per path: a page that
// links itself under ever-new queries ("page?n=1" -> "page?n=2" -> ...) shows in no single
// address, only in how many there are and how deep they go.
class QueryPages {
public:
    // Pages of one path that differ only by their query. A site numbers its pictures' pages
    // on one path ("show.asp?id=N") far past a thousand, so the bound is well above that.
    static constexpr int kMaxPerPath = 10'000;
    // How far below the first page of a path its query pages may lie. A listing of 300 pages
    // that links two neighbours each side, the first and the last reaches its middle page 75
    // levels down; a chain of pages that each link only the next goes one level a page.
    static constexpr int kMaxChain = 100;
    // Paths remembered; a query page of a path beyond them is not taken.
    static constexpr qsizetype kMaxPaths = 100'000;

    struct Path {
        int pages = 0;
        int firstDepth = 0;
    };

    // A page the page table took, at its depth; addresses without a query are not counted.
    void remember(const QString& address, int depth);
    // What is known of the address's path: nothing for an address without a query or a path
    // not seen yet.
    std::optional<Path> path(const QString& address) const;
    bool full() const { return m_paths.size() >= kMaxPaths; }

private:
    // By a seeded hash of the path's address, so that a path costs the same whatever its length.
    QHash<size_t, Path> m_paths;
};

// What the harvest rules are asked about one link.
struct HarvestQuestion {
    QString address; // trimmed, without its fragment
    int depth = 0;   // the depth its row would get
    int pageCount = 0; // rows in the page table
    const SiteList& sites;
    const CrawlLimits& limits;
    const QueryPages* queryPages = nullptr; // none: the query rules have no opinion
};

enum class Opinion { Yes, No, None };

// One named rule: does this link become a page of the search?
struct HarvestRule {
    const char* name;
    Opinion (*ask)(const HarvestQuestion& question);
};

// Every rule in the order they are asked. The last rule with an opinion decides, so a rule
// further down overrules the ones above it; a link no rule accepts is left out.
const QList<HarvestRule>& harvestRules();

struct HarvestDecision {
    std::optional<QString> address; // the page to add, or nothing
    QString rule;                   // the name of the rule that decided
};

// Whether a harvested link (as the document hands it) becomes a page-table row, and why.
HarvestDecision decideHarvest(const QString& link, int depth, int pageCount,
                              const SiteList& sites, const CrawlLimits& limits = {},
                              const QueryPages* queryPages = nullptr);
