#pragma once

#include "links/site_scope.h"

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

// What the harvest rules are asked about one link.
struct HarvestQuestion {
    QString address; // trimmed, without its fragment
    int depth = 0;   // the depth its row would get
    int pageCount = 0; // rows in the page table
    const SiteList& sites;
    const CrawlLimits& limits;
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
                              const SiteList& sites, const CrawlLimits& limits = {});
