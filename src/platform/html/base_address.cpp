#include "platform/html/base_address.h"

#include <optional>

namespace {

bool isUnreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
           || c == '_' || c == '~';
}

// A "." or ".." segment, which resolving would take out.
bool hasDotSegment(QByteArrayView path)
{
    qsizetype begin = 0;
    while (begin <= path.size()) {
        qsizetype end = path.indexOf('/', begin);
        if (end < 0)
            end = path.size();
        const QByteArrayView segment = path.sliced(begin, end - begin);
        if (segment == "." || segment == "..")
            return true;
        begin = end + 1;
    }
    return false;
}

// The address that joining a reference to the folder gives, if it is plain enough to be
// joined as text: QUrl never encodes unreserved characters and "/", so the text it would
// make is the folder's with the reference after it.
std::optional<QString> joined(const QString& root, const QString& folder, QByteArrayView reference)
{
    if (root.isEmpty() || reference.isEmpty() || reference.front() == '#')
        return std::nullopt;
    const qsizetype hash = reference.indexOf('#');
    QByteArrayView path = hash < 0 ? reference : reference.first(hash);
    const QByteArrayView fragment = hash < 0 ? QByteArrayView() : reference.sliced(hash);
    for (const char c : path) {
        if (!isUnreserved(c) && c != '/')
            return std::nullopt;
    }
    for (const char c : fragment.sliced(std::min<qsizetype>(1, fragment.size()))) {
        if (!isUnreserved(c))
            return std::nullopt;
    }
    QStringView start(root);
    if (path.startsWith('/')) {
        if (path.startsWith("//"))
            return std::nullopt; // another host
        start.chop(1);
    } else {
        start = folder;
        // Each leading "../" takes a folder off, never the root.
        while (true) {
            if (path.startsWith("./")) {
                path = path.sliced(2);
            } else if (path.startsWith("../")) {
                path = path.sliced(3);
                if (start.size() > root.size())
                    start = start.first(start.lastIndexOf(u'/', start.size() - 2) + 1);
            } else {
                break;
            }
        }
    }
    if (hasDotSegment(path))
        return std::nullopt;
    QString address;
    address.reserve(start.size() + path.size() + fragment.size());
    address.append(start);
    address.append(QLatin1StringView(path));
    address.append(QLatin1StringView(fragment));
    return address;
}

} // namespace

QString absoluteAddress(const QUrl& base, const QString& reference)
{
    // As browsers read an address: spaces around it dropped, tabs and line breaks in it too.
    QString cleaned = reference;
    if (cleaned.contains(u'\t') || cleaned.contains(u'\n') || cleaned.contains(u'\r'))
        cleaned.remove(u'\t').remove(u'\n').remove(u'\r');
    qsizetype first = 0;
    qsizetype last = cleaned.size();
    while (first < last && cleaned.at(first) <= u' ')
        ++first;
    while (last > first && cleaned.at(last - 1) <= u' ')
        --last;
    if (first > 0 || last < cleaned.size())
        cleaned = cleaned.mid(first, last - first);

    if (cleaned.isEmpty())
        return base.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded); // the page itself
    const QUrl url(cleaned, QUrl::TolerantMode);
    if (!url.isValid())
        return cleaned;
    const QString scheme = url.scheme().toLower();
    if (!scheme.isEmpty() && scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return cleaned;
    const QUrl resolved = base.resolved(url);
    if (!resolved.isValid())
        return cleaned;
    return resolved.toString(QUrl::FullyEncoded);
}

BaseAddress::BaseAddress(const QUrl& base) : m_url(base)
{
    // A base whose own path has dot segments or escapes is left to QUrl: resolving rewrites
    // its folders too.
    const QString scheme = base.scheme().toLower();
    const QString path = base.path(QUrl::FullyEncoded);
    if (!base.isValid() || base.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || path.contains(u'%') || hasDotSegment(path.toLatin1()))
        return;
    // QUrl itself says how it writes the base's part of an address.
    const QString rooted = base.resolved(QUrl(QStringLiteral("/x"))).toString(QUrl::FullyEncoded);
    const QString inFolder = base.resolved(QUrl(QStringLiteral("x"))).toString(QUrl::FullyEncoded);
    if (!rooted.endsWith(QLatin1String("/x")) || !inFolder.endsWith(QLatin1String("/x"))
        || !inFolder.startsWith(rooted.chopped(1)))
        return;
    m_root = rooted.chopped(1);
    m_folder = inFolder.chopped(1);
}

QString BaseAddress::absolute(QByteArrayView reference) const
{
    if (auto address = joined(m_root, m_folder, reference))
        return *std::move(address);
    return absoluteAddress(m_url, QString::fromUtf8(reference));
}
