// Addresses as pages give them: resolution, script links, site scope, harvest filter.
#include "fuzz_input.h"

#include "links/harvest_rules.h"
#include "links/script_functions.h"
#include "links/script_links.h"
#include "links/site_scope.h"
#include "links/url_resolution.h"

#include <QRegularExpression>

#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList args = fuzzArguments(data, size, 4);
    const QString& link = args.at(0);
    const QString& base = args.at(1);
    const QString& scriptText = args.at(2);
    const QString& functionName = args.at(3);

    PageScripts page(scriptText);
    const QString resolved = resolveUrl(link, base, &page);
    resolveUrl(QStringLiteral("javascript:") + functionName + u'(' + link + u')', base, &page);
    resolveScriptLink(link, base, &page);
    ScriptFunctions(scriptText).prefix(functionName);

    // Spaces inside go as %20 and none is left around, unless the link is returned as found.
    const QString unwrapped = QString(link).remove(QRegularExpression(QStringLiteral("^[ '\"]+|[ '\"]+$")));
    if (!unwrapped.startsWith(u'?') && !unwrapped.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive)
        && !unwrapped.startsWith(QStringLiteral("javascript:"), Qt::CaseInsensitive))
        require(!resolved.contains(u' ') && !resolved.endsWith(u'\'') && !resolved.endsWith(u'"'));

    const QString extension = getLinkExtension(link);
    require(extension.size() <= 6);

    SiteList sites;
    sites.addStartSite(base);
    sites.addStartSite(link);
    const QString siteDomain = getSiteDomain(link);
    require(sites.inScope(link) == !siteDomain.isEmpty());
    require(!sites.inScope(QString()));

    for (const QString& candidate : {link, resolved}) {
        if (const std::optional<QString> address = decideHarvest(candidate, 1, 0, sites).address) {
            require(address->startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
                    || address->startsWith(QStringLiteral("https://"), Qt::CaseInsensitive));
            require(sites.inScope(*address));
        }
    }
    return 0;
}
