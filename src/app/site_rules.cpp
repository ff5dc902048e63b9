#include "app/site_rules.h"

#include "app/clock.h"
#include "links/sitemap_reader.h"
#include "lists/page_table.h"
#include "text/table_key.h"
#include "text/trim_spaces.h"

#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

bool isSuccess(const SiteFile& file)
{
    return file.responded && file.status >= 200 && file.status < 300;
}

// "scheme://authority" as the address writes it: rows that share it share a site.
QString writtenOrigin(const QString& address)
{
    const qsizetype marker = address.indexOf(u"://");
    if (marker < 0)
        return address;
    qsizetype end = marker + 3;
    while (end < address.size() && address.at(end) != u'/' && address.at(end) != u'?' && address.at(end) != u'#')
        ++end;
    return address.first(end);
}

} // namespace

std::optional<RobotsAddress> robotsAddress(const QString& address)
{
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    if ((scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return std::nullopt;
    QUrl origin;
    origin.setScheme(scheme);
    origin.setHost(url.host());
    origin.setPort(url.port(scheme == u"https" ? 443 : 80));
    RobotsAddress result;
    result.site = origin.toString(QUrl::FullyEncoded);
    result.pathAndQuery = url.path(QUrl::FullyEncoded).toUtf8();
    if (result.pathAndQuery.isEmpty())
        result.pathAndQuery = "/";
    if (url.hasQuery())
        result.pathAndQuery += '?' + url.query(QUrl::FullyEncoded).toUtf8();
    return result;
}

SiteRules::SiteRules(const Clock& clock, PageTable& pages, const SiteList& sites, const CrawlLimits& limits,
                     QueryPages* queryPages)
    : m_clock(clock), m_pages(pages), m_sites(sites), m_limits(limits), m_queryPages(queryPages)
{
}

void SiteRules::setFiles(SiteFiles* files, Politeness politeness)
{
    if (m_files)
        disconnect(m_files, nullptr, this, nullptr);
    m_files = files;
    m_politeness = politeness;
    if (files)
        connect(files, &SiteFiles::fetched, this, &SiteRules::fetched);
}

void SiteRules::harvest(const QStringList& links, int depth)
{
    for (const QString& link : links)
        admit(link, depth);
}

void SiteRules::admit(const QString& link, int depth)
{
    // Most links of a site lead to pages it has already, which it would not add again: they
    // need neither the harvest rules nor a robots.txt verdict (a fragment is no other page).
    if (m_pages.containsAddress(trimSpaces(link)))
        return;
    const HarvestDecision decision = decideHarvest(link, depth, m_pages.size(), m_sites, m_limits, m_queryPages);
    if (!decision.address)
        return;
    const QString& address = *decision.address;
    const std::optional<RobotsAddress> where = obeying() ? robotsAddress(address) : std::nullopt;
    if (!where) {
        addPage(address, depth);
        return;
    }
    Site& site = askRobots(where->site);
    if (site.state != Site::Rules::Known) {
        site.waitingLinks.append({address, depth});
        return;
    }
    if (site.rules.allows(where->pathAndQuery))
        addPage(address, depth);
    else if (!m_pages.containsAddress(address))
        m_disallowed.insert(tableKey(address));
}

void SiteRules::addPage(const QString& address, int depth)
{
    if (m_pages.addRow(QStringLiteral("1"), address, depth) && m_queryPages)
        m_queryPages->remember(address, depth);
}

SiteRules::Site& SiteRules::askRobots(const QString& site)
{
    Site& state = m_siteStates[site];
    if (state.state == Site::Rules::Unasked && obeying()) {
        state.state = Site::Rules::Asked;
        const QString address = site + QStringLiteral("/robots.txt");
        m_requests.insert(address, {site, FileKind::Robots});
        m_files->fetch(address, kMaxRobotsFileBytes);
    }
    return state;
}

void SiteRules::searchStarted()
{
    if (!m_files)
        return;
    // A resumed search may hold a great many waiting rows of a few sites.
    QSet<QString> seen;
    for (const int position : m_pages.waitingPositions()) {
        const PageRow& row = m_pages.row(position);
        const QString origin = writtenOrigin(row.address) + (row.depth == 0 ? u'0' : u'1');
        if (seen.contains(origin))
            continue;
        seen.insert(origin);
        const std::optional<RobotsAddress> where = robotsAddress(row.address);
        if (!where)
            continue;
        Site& site = askRobots(where->site);
        if (row.depth != 0 || !m_politeness.readSitemaps || site.sitemapsRead)
            continue;
        site.sitemapsWanted = true;
        if (!obeying() || site.state == Site::Rules::Known)
            readSitemaps(where->site);
    }
}

void SiteRules::readSitemaps(const QString& site)
{
    Site& state = m_siteStates[site];
    if (state.sitemapsRead)
        return;
    state.sitemapsRead = true;
    QStringList addresses = obeying() ? state.rules.sitemaps() : QStringList();
    if (addresses.isEmpty()) {
        if (obeying() && !state.rules.allows("/sitemap.xml"))
            return;
        addresses.append(site + QStringLiteral("/sitemap.xml"));
    }
    for (const QString& address : std::as_const(addresses))
        fetchSitemap(site, address, FileKind::Sitemap);
}

void SiteRules::fetchSitemap(const QString& site, const QString& address, FileKind kind)
{
    Site& state = m_siteStates[site];
    // A sitemap named like a robots.txt on its way is not asked twice.
    if (state.sitemapFiles >= kMaxSitemapFiles || m_sitemapsAsked.contains(address) || m_requests.contains(address)
        || !robotsAddress(address))
        return;
    ++state.sitemapFiles;
    m_sitemapsAsked.insert(address);
    m_requests.insert(address, {site, kind});
    m_files->fetch(address, SitemapContents::kMaxBytes);
}

void SiteRules::fetched(const QString& address, const SiteFile& file)
{
    const auto found = m_requests.constFind(address);
    if (found == m_requests.constEnd())
        return;
    const Request request = *found;
    m_requests.erase(found);
    if (request.kind == FileKind::Robots)
        robotsArrived(request.site, file);
    else
        sitemapArrived(request.site, request.kind, file);
    emit changed();
}

void SiteRules::robotsArrived(const QString& site, const SiteFile& file)
{
    Site& state = m_siteStates[site];
    if (isSuccess(file) && !file.cut) {
        state.rules = RobotsRules::parse(file.body);
    } else if (file.responded && file.status >= 300 && file.status < 500) {
        state.rules = RobotsRules(); // no rules: redirects past the bound count as none
    } else {
        // A site that cannot say what it allows allows nothing this run.
        state.rules = RobotsRules::disallowingAll();
        const QString reason = !file.responded ? tr("no answer")
            : file.cut                         ? tr("cut short")
                                               : tr("status %1").arg(file.status);
        emit notice(tr("robots.txt of %1 could not be read (%2): of that site only the start "
                       "addresses are loaded").arg(site, reason));
    }
    state.state = Site::Rules::Known;
    const bool sitemapsWanted = state.sitemapsWanted;
    const QList<std::pair<QString, int>> links = std::exchange(state.waitingLinks, {});
    // admit() may add sites, which moves them in the table: state is not used past here.
    for (const auto& [address, depth] : links)
        admit(address, depth);
    if (sitemapsWanted)
        readSitemaps(site);
}

void SiteRules::sitemapArrived(const QString& site, FileKind kind, const SiteFile& file)
{
    if (!isSuccess(file))
        return;
    const SitemapContents contents = readSitemap(file.body);
    if (contents.kind == SitemapContents::Kind::UrlSet) {
        for (const QString& address : contents.addresses)
            admit(address, 1);
    } else if (contents.kind == SitemapContents::Kind::Index && kind == FileKind::Sitemap) {
        // One level of nesting: an index named by an index is passed over.
        for (const QString& address : contents.addresses)
            fetchSitemap(site, address, FileKind::IndexedSitemap);
    }
}

std::optional<int> SiteRules::nextRow(const std::function<bool(const PageRow&)>& held)
{
    m_nextOpening.reset();
    if (!m_files && !held)
        return m_pages.firstWaiting();
    const double now = m_clock.now();
    // Rows of one site held back are passed over without reading their addresses again.
    QHash<QString, bool> verdicts;
    for (const int position : m_pages.waitingPositions()) {
        const PageRow& row = m_pages.row(position);
        if (held && held(row))
            continue;
        if (!m_files)
            return position;
        QString key = writtenOrigin(row.address) + (row.depth > 0 ? u'1' : u'0');
        auto verdict = verdicts.constFind(key);
        if (verdict == verdicts.constEnd()) {
            const std::optional<RobotsAddress> where = robotsAddress(row.address);
            verdict = verdicts.insert(std::move(key), !where || mayDispatch(where->site, row.depth, now));
        }
        if (*verdict)
            return position;
    }
    return std::nullopt;
}

bool SiteRules::mayDispatch(const QString& site, int depth, double now)
{
    if (obeying() && depth > 0 && askRobots(site).state != Site::Rules::Known)
        return false;
    const auto state = m_siteStates.constFind(site);
    if (!obeying() || state == m_siteStates.constEnd() || !state->lastDispatch || !state->rules.crawlDelay())
        return true;
    const double opens = *state->lastDispatch + std::min(*state->rules.crawlDelay(), kMaxCrawlDelay);
    if (now >= opens)
        return true;
    m_nextOpening = std::min(m_nextOpening.value_or(opens), opens);
    return false;
}

std::optional<double> SiteRules::nextOpening(double now) const
{
    if (m_nextOpening && *m_nextOpening > now)
        return m_nextOpening;
    return std::nullopt;
}

void SiteRules::dispatched(int position)
{
    if (!m_files || !m_pages.isPosition(position))
        return;
    if (const std::optional<RobotsAddress> where = robotsAddress(m_pages.row(position).address))
        m_siteStates[where->site].lastDispatch = m_clock.now();
}
