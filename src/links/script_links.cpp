#include "links/script_links.h"

#include "links/address_directory.h"
#include "links/script_functions.h"
#include "links/url_resolution.h"
#include "text/trim_spaces.h"

#include <optional>

namespace {

// One per thread: each thread resolves the links of one page at a time, and pages are read
// on several threads at once.
struct ScriptState {
    QString pageScriptText;
    // Built at the page's first script link.
    std::optional<ScriptFunctions> functions;
    // resolveUrl and resolveScriptLink call each other; a page whose function prefix is
    // itself a script call would otherwise recurse without end.
    int depth = 0;
};

ScriptState& state()
{
    thread_local ScriptState s;
    return s;
}

constexpr int maxDepth = 8;

class DepthGuard {
public:
    DepthGuard() { ++state().depth; }
    ~DepthGuard() { --state().depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

} // namespace

QString findFunctionPrefix(const QString& scriptText, const QString& functionName)
{
    return ScriptFunctions(scriptText).prefix(functionName).value_or(QString());
}

void setPageScriptText(const QString& text)
{
    ScriptState& s = state();
    if (text == s.pageScriptText)
        return;
    s.pageScriptText = text;
    s.functions.reset();
}

QString resolveScriptLink(const QString& link, const QString& directory)
{
    ScriptState& s = state();
    if (s.depth >= maxDepth)
        return {};
    const DepthGuard guard;

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
        if (!s.functions)
            s.functions.emplace(s.pageScriptText);
        const std::optional<QString> found = s.functions->prefix(functionName);
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
    return resolveUrl(prefix + trimSpaces(argument), base);
}
