#include "app/site_holds.h"

#include "lists/page_table.h"
#include "platform/browser.h"

#include <QUrl>

#include <cmath>

namespace {

// Scheme, host and port: what a server's 429 speaks for.
QString siteOf(const QString& address)
{
    const QUrl url(address);
    return url.scheme().toLower() + QStringLiteral("://") + url.host().toLower() + u':'
           + QString::number(url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80));
}

} // namespace

bool SiteHolds::refused(const QString& address, double retryAfter, double now)
{
    int& retries = m_retries[address];
    const bool named = retryAfter > 0;
    if (retries >= (named ? kRetriesNamed : kRetriesUnnamed) || retryAfter > kLongestWaitSeconds)
        return false;
    const double wait = named ? retryAfter : kFirstWaitSeconds * std::pow(2.0, retries);
    ++retries;
    double& until = m_until[siteOf(address)];
    until = std::max(until, now + wait);
    return true;
}

bool SiteHolds::putBack(PageTable& pages, int row, const Browser& browser, double now)
{
    const std::optional<double> retryAfter = browser.retryAfterSeconds();
    if (!retryAfter || !pages.isPosition(row) || pages.row(row).status != PageStatus::Downloading
        || !refused(pages.row(row).address, *retryAfter, now))
        return false;
    pages.setStatus(row, PageStatus::Waiting);
    return true;
}

bool SiteHolds::isHeld(const QString& address, double now) const
{
    const auto until = m_until.constFind(siteOf(address));
    return until != m_until.cend() && *until > now;
}

std::optional<double> SiteHolds::nextRelease(double now) const
{
    std::optional<double> next;
    for (const double until : m_until) {
        if (until > now && (!next || until < *next))
            next = until;
    }
    return next;
}
