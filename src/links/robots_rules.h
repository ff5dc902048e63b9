#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>

#include <optional>

// What one site's robots.txt lets this program fetch (RFC 9309): the group of the product
// token, else the "*" group; the longest matching rule decides, Allow winning a tie; "*" and a
// final "$" in a rule as the RFC reads them.
class RobotsRules {
public:
    // The RFC asks a crawler to read at least this much of the file; the rest is passed over.
    static constexpr qsizetype kMaxBytes = 500 * 1024;
    // A rule longer than this is passed over: it could only make a match slow.
    static constexpr qsizetype kMaxRuleBytes = 4096;
    static constexpr QByteArrayView kProductToken = "Quorvane";

    // A site without rules (no robots.txt, or a 4xx answer): everything allowed.
    RobotsRules() = default;
    // A site whose robots.txt could not be had (a 5xx answer or none): nothing allowed.
    static RobotsRules disallowingAll();
    static RobotsRules parse(QByteArrayView text, QByteArrayView productToken = kProductToken);

    // pathAndQuery: the address's path with its query, as it is sent ("/a/b?c"); an empty
    // path is "/".
    bool allows(QByteArrayView pathAndQuery) const;
    // The group's Crawl-delay in seconds, when it gave a number of 0 or more.
    std::optional<double> crawlDelay() const { return m_crawlDelay; }
    // The Sitemap lines, wherever they stood in the file.
    const QStringList& sitemaps() const { return m_sitemaps; }

private:
    struct Rule {
        QByteArray pattern; // normalised as paths are
        bool allow = false;
    };
    QList<Rule> m_rules;
    std::optional<double> m_crawlDelay;
    QStringList m_sitemaps;
    bool m_disallowAll = false;
};

// A path or rule as they are compared: percent-escapes of unreserved characters decoded,
// the others in upper case, bytes outside printable ASCII percent-encoded.
QByteArray normalisedRobotsPath(QByteArrayView path);
