#include "links/robots_rules.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool isUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendEscaped(QByteArray& out, unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out.append('%');
    out.append(digits[byte >> 4]);
    out.append(digits[byte & 15]);
}

// Whether pattern ("*" any run of bytes, a final "$" the end) matches a prefix of path.
bool matches(QByteArrayView path, QByteArrayView pattern)
{
    // The places in path where the pattern read so far may end, in increasing order.
    std::vector<qsizetype> ends{0};
    std::vector<qsizetype> next;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char c = pattern.at(i);
        if (c == '$' && i + 1 == pattern.size())
            return std::find(ends.begin(), ends.end(), path.size()) != ends.end();
        next.clear();
        if (c == '*') {
            for (qsizetype at = ends.front(); at <= path.size(); ++at)
                next.push_back(at);
        } else {
            for (const qsizetype at : ends) {
                if (at < path.size() && path.at(at) == c)
                    next.push_back(at + 1);
            }
        }
        if (next.empty())
            return false;
        ends.swap(next);
    }
    return true;
}

// The product token a User-agent line names: its leading letters, "_" and "-".
QByteArrayView agentToken(QByteArrayView value)
{
    qsizetype length = 0;
    while (length < value.size()) {
        const char c = value.at(length);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '-'))
            break;
        ++length;
    }
    return value.first(length);
}

struct Group {
    QList<QByteArray> agents;
    QList<std::pair<QByteArray, bool>> rules; // pattern as written, allow
    std::optional<double> crawlDelay;
    bool hasRules = false; // a line other than User-agent was read: the next User-agent starts a group
};

} // namespace

QByteArray normalisedRobotsPath(QByteArrayView path)
{
    QByteArray out;
    out.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path.at(i));
        if (byte == '%' && i + 2 < path.size() && hexValue(path.at(i + 1)) >= 0 && hexValue(path.at(i + 2)) >= 0) {
            const auto value = static_cast<unsigned char>(hexValue(path.at(i + 1)) * 16 + hexValue(path.at(i + 2)));
            if (isUnreserved(char(value)))
                out.append(char(value));
            else
                appendEscaped(out, value);
            i += 2;
        } else if (byte < 0x21 || byte > 0x7e) {
            appendEscaped(out, byte);
        } else {
            out.append(char(byte));
        }
    }
    return out;
}

RobotsRules RobotsRules::disallowingAll()
{
    RobotsRules rules;
    rules.m_disallowAll = true;
    return rules;
}

RobotsRules RobotsRules::parse(QByteArrayView text, QByteArrayView productToken)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    if (text.size() > kMaxBytes) {
        // Only whole lines: a rule cut in two would say something else.
        text = text.first(kMaxBytes);
        const qsizetype lastBreak = std::max(text.lastIndexOf('\n'), text.lastIndexOf('\r'));
        text = text.first(lastBreak + 1);
    }

    RobotsRules result;
    QList<Group> groups;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text.at(end) != '\n' && text.at(end) != '\r')
            ++end;
        QByteArrayView line = text.sliced(start, end - start);
        start = end + 1;
        if (const qsizetype hash = line.indexOf('#'); hash >= 0)
            line = line.first(hash);
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.first(colon).trimmed().toByteArray().toLower();
        const QByteArrayView value = line.sliced(colon + 1).trimmed();

        if (key == "sitemap") {
            if (!value.isEmpty())
                result.m_sitemaps.append(QString::fromUtf8(value));
            continue;
        }
        if (key == "user-agent") {
            if (groups.isEmpty() || groups.last().hasRules)
                groups.append(Group{});
            groups.last().agents.append(value.toByteArray());
            continue;
        }
        if (groups.isEmpty())
            continue; // rules before any User-agent line belong to no group
        Group& group = groups.last();
        if (key == "allow" || key == "disallow") {
            group.hasRules = true;
            if (!value.isEmpty() && value.size() <= kMaxRuleBytes)
                group.rules.append({value.toByteArray(), key == "allow"});
        } else if (key == "crawl-delay") {
            group.hasRules = true;
            bool isNumber = false;
            const double seconds = QByteArray(value.toByteArray()).toDouble(&isNumber);
            if (isNumber && std::isfinite(seconds) && seconds >= 0 && !group.crawlDelay)
                group.crawlDelay = seconds;
        }
    }

    const auto chosen = [&](auto&& names) {
        bool any = false;
        for (const Group& group : groups) {
            if (!std::any_of(group.agents.begin(), group.agents.end(), names))
                continue;
            any = true;
            for (const auto& [pattern, allow] : group.rules)
                result.m_rules.append(Rule{normalisedRobotsPath(pattern), allow});
            if (!result.m_crawlDelay)
                result.m_crawlDelay = group.crawlDelay;
        }
        return any;
    };
    const bool own = chosen([&](const QByteArray& agent) {
        const QByteArrayView token = agentToken(agent);
        return !token.isEmpty() && token.compare(productToken, Qt::CaseInsensitive) == 0;
    });
    if (!own)
        chosen([](const QByteArray& agent) { return agent == "*"; });
    return result;
}

bool RobotsRules::allows(QByteArrayView pathAndQuery) const
{
    const QByteArray path = normalisedRobotsPath(pathAndQuery.isEmpty() ? QByteArrayView("/") : pathAndQuery);
    // The rules themselves are always there to be read.
    if (path == "/robots.txt")
        return true;
    if (m_disallowAll)
        return false;
    qsizetype longest = -1;
    bool allowed = true;
    for (const Rule& rule : m_rules) {
        if (rule.pattern.size() < longest || !matches(path, rule.pattern))
            continue;
        // The longer rule decides; of two as long, Allow.
        allowed = rule.pattern.size() > longest ? rule.allow : allowed || rule.allow;
        longest = rule.pattern.size();
    }
    return allowed;
}
