#include "links/harvest_rules.h"

#include "text/file_names.h"
#include "text/picture_types.h"
#include "text/scheme_separator.h"
#include "text/table_key.h"
#include "text/trim_spaces.h"

#include <QHashFunctions>
#include <QStringView>

#include <algorithm>

namespace {

// Bounds against crawl traps: pages that link ever longer or deeper addresses of themselves.
constexpr qsizetype maxAddressLength = 2048;
constexpr int maxPathSegments = 20;
constexpr int maxSegmentRepeats = 3;

// Read from the text alone, without parsing it: every link of every page is asked.
bool hasWebScheme(const QString& address)
{
    return address.startsWith(u"http://", Qt::CaseInsensitive)
           || address.startsWith(u"https://", Qt::CaseInsensitive);
}

// The path of a web address: from the first "/" behind "://" to the query.
QStringView pathOf(const QString& address)
{
    const qsizetype marker = indexOfSchemeSeparator(address);
    const qsizetype start = address.indexOf(u'/', marker < 0 ? 0 : marker + 3);
    if (start < 0)
        return {};
    const qsizetype query = address.indexOf(u'?', start);
    return QStringView(address).sliced(start, (query < 0 ? address.size() : query) - start);
}

Opinion noWhen(bool condition)
{
    return condition ? Opinion::No : Opinion::None;
}

Opinion siteScope(const HarvestQuestion& q)
{
    return q.sites.inScope(q.address) ? Opinion::Yes : Opinion::No;
}

// Only web addresses are pages; "javascript:", "mailto:", "ftp://" and the like are not.
Opinion notWebAddress(const HarvestQuestion& q)
{
    return noWhen(!hasWebScheme(q.address));
}

// Files that are no pages to search, whatever site they are on.
Opinion excludedType(const HarvestQuestion& q)
{
    static const QStringView excluded[]
        = {u"exe", u"zip", u"rar", u"iso", u"jpg", u"gif", u"tif", u"pdf", u"doc", u"txt"};
    const QString extension = getLinkExtension(q.address);
    for (const QStringView type : excluded) {
        if (extension.compare(type, Qt::CaseInsensitive) == 0)
            return Opinion::No;
    }
    return Opinion::None;
}

// A link to a picture gives a picture row, not a page to load.
Opinion picture(const HarvestQuestion& q)
{
    return noWhen(isPictureType(getFileType(q.address)));
}

Opinion addressTooLong(const HarvestQuestion& q)
{
    return noWhen(q.address.size() > maxAddressLength);
}

Opinion tooManyPathSegments(const HarvestQuestion& q)
{
    return noWhen(pathOf(q.address).count(u'/') > maxPathSegments);
}

// "/a/a/a/a/": a page that links a folder of its own name below itself.
Opinion repeatedPathSegment(const HarvestQuestion& q)
{
    QStringView previous;
    int repeats = 0;
    for (const QStringView segment : pathOf(q.address).split(u'/', Qt::SkipEmptyParts)) {
        repeats = segment == previous ? repeats + 1 : 1;
        if (repeats > maxSegmentRepeats)
            return Opinion::No;
        previous = segment;
    }
    return Opinion::None;
}

// "page?n=1" -> "page?n=2" -> ...: the query pages of one path reach ever deeper.
Opinion queryChain(const HarvestQuestion& q)
{
    if (!q.queryPages)
        return Opinion::None;
    const std::optional<QueryPages::Path> path = q.queryPages->path(q.address);
    return noWhen(path && q.depth - path->firstDepth > QueryPages::kMaxChain);
}

Opinion tooManyQueries(const HarvestQuestion& q)
{
    if (!q.queryPages || !q.address.contains(u'?'))
        return Opinion::None;
    const std::optional<QueryPages::Path> path = q.queryPages->path(q.address);
    return noWhen(path ? path->pages >= QueryPages::kMaxPerPath : q.queryPages->full());
}

Opinion tooDeep(const HarvestQuestion& q)
{
    return noWhen(q.limits.maxDepth && q.depth > *q.limits.maxDepth);
}

Opinion pageLimit(const HarvestQuestion& q)
{
    return noWhen(q.limits.maxPages && q.pageCount >= *q.limits.maxPages);
}

// The path of an address with a query as a number: its table key up to the query, hashed.
std::optional<size_t> queryPathHash(const QString& address)
{
    if (!address.contains(u'?'))
        return std::nullopt;
    const QString key = tableKey(address);
    const qsizetype query = key.indexOf(u'?');
    return qHash(QStringView(key).first(query < 0 ? key.size() : query), QHashSeed::globalSeed());
}

} // namespace

void QueryPages::remember(const QString& address, int depth)
{
    const std::optional<size_t> hash = queryPathHash(address);
    if (!hash)
        return;
    const auto known = m_paths.find(*hash);
    if (known == m_paths.end()) {
        if (!full())
            m_paths.insert(*hash, {1, depth});
        return;
    }
    ++known->pages;
    known->firstDepth = std::min(known->firstDepth, depth);
}

std::optional<QueryPages::Path> QueryPages::path(const QString& address) const
{
    const std::optional<size_t> hash = queryPathHash(address);
    if (!hash)
        return std::nullopt;
    const auto known = m_paths.constFind(*hash);
    if (known == m_paths.cend())
        return std::nullopt;
    return *known;
}

QString getLinkExtension(const QString& address)
{
    QString name = address;
    name.replace(u'\\', u'/');
    name = name.sliced(name.lastIndexOf(u'/') + 1);
    if (const qsizetype fragment = name.lastIndexOf(u'#'); fragment >= 0)
        name.truncate(fragment);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const QString extension = trimSpaces(QStringView(name).sliced(dot + 1));
    return extension.size() > 6 ? QString() : extension;
}

const QList<HarvestRule>& harvestRules()
{
    static const QList<HarvestRule> rules{
        {"site scope", siteScope},
        {"not a web address", notWebAddress},
        {"excluded type", excludedType},
        {"picture", picture},
        {"address too long", addressTooLong},
        {"too many path segments", tooManyPathSegments},
        {"repeated path segment", repeatedPathSegment},
        {"query chain", queryChain},
        {"too many queries", tooManyQueries},
        {"too deep", tooDeep},
        {"page limit", pageLimit},
    };
    return rules;
}

HarvestDecision decideHarvest(const QString& link, int depth, int pageCount,
                              const SiteList& sites, const CrawlLimits& limits,
                              const QueryPages* queryPages)
{
    // A fragment names a place in the same page.
    const HarvestQuestion question{withoutFragment(trimSpaces(link)), depth, pageCount, sites, limits, queryPages};
    // Asked from the last rule up, the first opinion is the one that decides, and the rules
    // above it need not be asked.
    const QList<HarvestRule>& rules = harvestRules();
    for (auto rule = rules.crbegin(); rule != rules.crend(); ++rule) {
        const Opinion opinion = rule->ask(question);
        if (opinion == Opinion::None)
            continue;
        HarvestDecision result;
        result.rule = QString::fromLatin1(rule->name);
        if (opinion == Opinion::Yes)
            result.address = question.address;
        return result;
    }
    return {std::nullopt, QStringLiteral("no rule accepts it")};
}
