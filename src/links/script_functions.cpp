#include "links/script_functions.h"

#include "text/trim_spaces.h"

namespace {

const QString definitionHead = QStringLiteral("function ");
const QString opener = QStringLiteral("window.open(");

// The first match of needle at or after from, remembered: the heads come in text order, so
// a match that still lies ahead serves every head before it and the text is read once.
class ForwardSearch {
public:
    ForwardSearch(const QString& text, QString needle) : m_text(text), m_needle(std::move(needle)) {}

    qsizetype from(qsizetype position)
    {
        if (!m_exhausted && m_found < position) {
            m_found = m_text.indexOf(m_needle, position, Qt::CaseInsensitive);
            m_exhausted = m_found < 0;
        }
        return m_found;
    }

private:
    const QString& m_text;
    QString m_needle;
    qsizetype m_found = -1;
    bool m_exhausted = false;
};

} // namespace

ScriptFunctions::ScriptFunctions(QString scriptText) : m_text(std::move(scriptText))
{
    ForwardSearch nextParenthesis(m_text, QStringLiteral("("));
    ForwardSearch nextClose(m_text, QStringLiteral(")"));
    ForwardSearch nextOpener(m_text, opener);
    for (qsizetype head = m_text.indexOf(definitionHead, 0, Qt::CaseInsensitive); head >= 0;
         head = m_text.indexOf(definitionHead, head + 1, Qt::CaseInsensitive)) {
        const qsizetype nameStart = head + definitionHead.size();
        // The name runs to the first "(": a link's function name never holds one.
        const qsizetype parenthesis = nextParenthesis.from(nameStart);
        if (parenthesis < 0)
            break;
        const QString name = m_text.sliced(nameStart, parenthesis - nameStart).toCaseFolded();
        if (m_definitions.contains(name))
            continue;
        m_definitions.insert(name, Definition{parenthesis + 1, nextClose.from(head), nextOpener.from(head), {}});
    }
}

std::optional<QString> ScriptFunctions::prefix(const QString& functionName)
{
    const auto it = m_definitions.find(functionName.toCaseFolded());
    if (it == m_definitions.end())
        return QString();
    if (!it->prefix)
        it->prefix = lookUp(*it);
    return *it->prefix;
}

std::optional<QString> ScriptFunctions::lookUp(const Definition& definition)
{
    if (definition.parametersEnd < definition.parametersStart)
        return std::nullopt;
    QStringView parameter = QStringView(m_text).sliced(
        definition.parametersStart, definition.parametersEnd - definition.parametersStart);
    if (const qsizetype comma = parameter.indexOf(u','); comma >= 0)
        parameter = parameter.first(comma);
    if (definition.opener < 0)
        return QString();
    const qsizetype prefixStart = definition.opener + opener.size();
    // An empty parameter name occurs nowhere.
    const qsizetype use = parameter.isEmpty() ? -1 : lastUse(parameter);
    if (use < prefixStart)
        return std::nullopt;

    QString prefix = m_text.sliced(prefixStart, use - prefixStart);
    prefix.remove(u'"');
    prefix.remove(u'\'');
    prefix.remove(u'+');
    return trimSpaces(prefix);
}

qsizetype ScriptFunctions::lastUse(QStringView parameter)
{
    const QString key = parameter.toString().toCaseFolded();
    if (const auto known = m_lastUse.constFind(key); known != m_lastUse.constEnd())
        return *known;
    if (m_lastUse.size() >= maxParameterSearches)
        return -1;
    const qsizetype use = m_text.lastIndexOf(parameter, -1, Qt::CaseInsensitive);
    m_lastUse.insert(key, use);
    return use;
}
