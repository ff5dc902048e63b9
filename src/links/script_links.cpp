#include "links/script_links.h"

#include "links/address_directory.h"
#include "links/url_resolution.h"
#include "text/trim_spaces.h"

#include <optional>

namespace {

constexpr int maxDepth = 8;

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_depth;
};

} // namespace

QString resolveScriptLink(const QString& link, const QString& directory, PageScripts* scripts)
{
    PageScripts none;
    PageScripts& s = scripts ? *scripts : none;
    if (s.m_depth >= maxDepth)
        return {};
    const DepthGuard guard(s.m_depth);

    const QString base = addressDirectory(directory);
    const qsizetype open = link.indexOf(u'(');
    if (open < 0)
        return link;
    // The name stands behind the eleven letters of "javascript:".
    constexpr qsizetype nameStart = 11;
    if (open < nameStart)
        return {};
    const QString functionName = link.sliced(nameStart, open - nameStart);

    QString prefix;
    // window.open takes the address itself.
    if (functionName.compare(u"window.open", Qt::CaseInsensitive) != 0) {
        if (!s.m_functions)
            s.m_functions.emplace(s.m_text);
        const std::optional<QString> found = s.m_functions->prefix(functionName);
        if (!found)
            return {};
        prefix = *found;
    }

    const qsizetype close = link.indexOf(u')', open + 1);
    if (close < 0 || close == open + 1)
        return link;
    QString argument = link.sliced(open + 1, close - open - 1);
    if (const qsizetype comma = argument.indexOf(u','); comma >= 0)
        argument.truncate(comma);
    argument.remove(u'"');
    argument.remove(u'\'');
    return resolveUrl(prefix + trimSpaces(argument), base, &s);
}
