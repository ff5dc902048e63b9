#include "platform/chromium/profile_cookies.h"

#include "platform/http/cookies_file.h"
#include "platform/http/curl_session.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>
#include <QWebEngineCookieStore>

#include <algorithm>

namespace {

const QByteArray kHttpOnlyPrefix = "#HttpOnly_";

QByteArray keyOf(const QByteArray& name, const QString& domain, const QString& path)
{
    return name + '\t' + domain.toLower().toUtf8() + '\t' + path.toUtf8();
}

QByteArray keyOf(const QNetworkCookie& cookie)
{
    return keyOf(cookie.name(), cookie.domain(), cookie.path());
}

// One cookie line as the file's reader keeps it, which takes a text of many lines.
std::optional<QByteArray> oneCookieLine(const QByteArray& line)
{
    const CookiesFile read = readCookiesText(line, 0);
    if (line.contains('\n') || read.cookies.size() != 1)
        return std::nullopt;
    return read.cookies.constFirst();
}

QByteArray flag(bool on)
{
    return on ? "TRUE" : "FALSE";
}

} // namespace

std::optional<BrowserCookie> browserCookie(const QByteArray& line)
{
    // Only a line the file's reader keeps; expiries are the store's business from here on.
    const std::optional<QByteArray> kept = oneCookieLine(line);
    if (!kept)
        return std::nullopt;
    const QList<QByteArray> fields = kept->split('\t');
    const bool httpOnly = line.startsWith(kHttpOnlyPrefix);
    QByteArray domain = fields.at(0).mid(httpOnly ? kHttpOnlyPrefix.size() : 0);
    const bool subdomains = domain.startsWith('.') || fields.at(1).compare("TRUE", Qt::CaseInsensitive) == 0;
    while (domain.startsWith('.'))
        domain.remove(0, 1);
    const QString host = QString::fromUtf8(domain).toLower();
    const bool secure = fields.at(3).compare("TRUE", Qt::CaseInsensitive) == 0;
    const QUrl origin(QStringLiteral("%1://%2/").arg(secure ? QStringLiteral("https") : QStringLiteral("http"), host));
    if (host.isEmpty() || !origin.isValid() || origin.host().isEmpty())
        return std::nullopt;
    BrowserCookie result{QNetworkCookie(fields.at(5), fields.at(6)), origin};
    // A cookie for an address by number is that host's alone, as browsers keep it.
    if (subdomains && QHostAddress(host).isNull())
        result.cookie.setDomain(QLatin1Char('.') + host);
    result.cookie.setPath(QString::fromUtf8(fields.at(2)));
    result.cookie.setSecure(secure);
    result.cookie.setHttpOnly(httpOnly);
    if (const qint64 expiry = fields.at(4).toLongLong(); expiry != 0)
        result.cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry, Qt::UTC));
    return result;
}

std::optional<QByteArray> cookiesTxtLine(const QNetworkCookie& cookie, bool removed)
{
    const QByteArray domain = cookie.domain().toUtf8();
    // A cookie that lasts past 9999 is kept as one that lasts as long as the run does.
    const qint64 expiry = removed ? 1
                          : cookie.isSessionCookie() || !cookie.expirationDate().isValid()
                              ? 0
                              : std::max<qint64>(1, cookie.expirationDate().toSecsSinceEpoch());
    const QByteArray line = (cookie.isHttpOnly() ? kHttpOnlyPrefix : QByteArray()) + domain + '\t'
                            + flag(domain.startsWith('.')) + '\t' + cookie.path().toUtf8() + '\t' + flag(cookie.isSecure())
                            + '\t' + QByteArray::number(expiry) + '\t' + cookie.name() + '\t' + cookie.value();
    // The file's reader checks the line as curl would read it: no byte that would bend it.
    return oneCookieLine(line) ? std::optional<QByteArray>(line) : std::nullopt;
}

ProfileCookies::ProfileCookies(QWebEngineCookieStore* store, CurlSession* session, QObject* parent)
    : QObject(parent), m_store(store), m_session(session)
{
    connect(store, &QWebEngineCookieStore::cookieAdded, this, &ProfileCookies::added);
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, [this](const QNetworkCookie& cookie) {
        if (const auto line = cookiesTxtLine(cookie, true); line && m_session)
            m_session->addCookies({*line});
    });
}

void ProfileCookies::set(const QList<QByteArray>& lines)
{
    for (const QByteArray& line : lines) {
        const std::optional<BrowserCookie> cookie = browserCookie(line);
        if (!cookie || !m_store)
            continue;
        m_pending.insert(keyOf(cookie->cookie.name(), cookie->cookie.domain().isEmpty() ? cookie->origin.host() : cookie->cookie.domain(),
                               cookie->cookie.path()));
        m_store->setCookie(cookie->cookie, cookie->origin);
    }
}

int ProfileCookies::waitUntilTaken(int boundMs)
{
    if (!m_pending.isEmpty()) {
        QEventLoop loop;
        QTimer::singleShot(boundMs, &loop, &QEventLoop::quit);
        connect(this, &ProfileCookies::allTaken, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return int(m_pending.size());
}

void ProfileCookies::added(const QNetworkCookie& cookie)
{
    if (const auto line = cookiesTxtLine(cookie, false); line && m_session)
        m_session->addCookies({*line});
    if (m_pending.remove(keyOf(cookie)) && m_pending.isEmpty())
        emit allTaken();
}
