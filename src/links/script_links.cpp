#include "links/script_links.h"

#include "links/address_directory.h"
#include "links/trim_spaces.h"
#include "links/url_resolution.h"

#include <optional>

namespace {

// Program-wide, as the page links are resolved one page at a time on one thread.
struct ScriptState {
    QString pageScriptText;
    // One-entry cache: links in a row tend to call the same page function.
    QString lastFunction;
    QString lastPrefix;
    // resolveUrl and resolveScriptLink call each other; a page whose function prefix is
    // itself a script call would otherwise recurse without end.
    int depth = 0;
};

ScriptState& state()
{
    static ScriptState s;
    return s;
}

constexpr int maxDepth = 8;

// The prefix, or nothing when the definition is malformed (no ")" after its head, or the
// parameter not used after window.open(): positions that fall outside the text).
std::optional<QString> lookUpPrefix(const QString& scriptText, const QString& functionName)
{
    const auto noCase = Qt::CaseInsensitive;
    const QString head = QStringLiteral("function ") + functionName + u'(';
    const qsizetype definition = scriptText.indexOf(head, 0, noCase);
    if (definition < 0)
        return QString();
    const qsizetype close = scriptText.indexOf(u')', definition, noCase);
    const qsizetype parametersStart = definition + head.size();
    if (close < parametersStart)
        return std::nullopt;
    QStringView parameter = QStringView(scriptText).sliced(parametersStart, close - parametersStart);
    if (const qsizetype comma = parameter.indexOf(u','); comma >= 0)
        parameter = parameter.first(comma);

    const QString opener = QStringLiteral("window.open(");
    const qsizetype open = scriptText.indexOf(opener, definition, noCase);
    if (open < 0)
        return QString();
    // An empty parameter name occurs nowhere.
    const qsizetype use = parameter.isEmpty() ? -1 : scriptText.lastIndexOf(parameter, -1, noCase);
    const qsizetype prefixStart = open + opener.size();
    if (use < prefixStart)
        return std::nullopt;

    QString prefix = scriptText.sliced(prefixStart, use - prefixStart);
    prefix.remove(u'"');
    prefix.remove(u'\'');
    prefix.remove(u'+');
    return trimSpaces(prefix);
}

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
    return lookUpPrefix(scriptText, functionName).value_or(QString());
}

void setPageScriptText(const QString& text)
{
    ScriptState& s = state();
    if (text == s.pageScriptText)
        return;
    s.pageScriptText = text;
    s.lastFunction.clear();
    s.lastPrefix.clear();
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
    if (functionName.compare(u"window.open", Qt::CaseInsensitive) == 0) {
        // window.open takes the address itself.
    } else if (functionName.compare(s.lastFunction, Qt::CaseInsensitive) == 0) {
        prefix = s.lastPrefix;
    } else {
        const std::optional<QString> found = lookUpPrefix(s.pageScriptText, functionName);
        if (!found) {
            // Forget the entry, so that the next call of this function is not served another
            // function's prefix.
            s.lastFunction.clear();
            s.lastPrefix.clear();
            return {};
        }
        s.lastFunction = functionName;
        s.lastPrefix = *found;
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
    return resolveUrl(prefix + argument, base);
}
