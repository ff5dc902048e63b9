#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUrl>

#include <optional>

class CurlSession;
class QWebEngineCookieStore;

// A cookie as the browser's store takes it, with the address it is set from: https for a
// secure one, which Chromium refuses from plain http.
struct BrowserCookie {
    QNetworkCookie cookie;
    QUrl origin;
};

// A cookies.txt line (as readCookiesText keeps it) as the browser takes it; none when the
// line is not one.
std::optional<BrowserCookie> browserCookie(const QByteArray& line);
// The browser's cookie as a cookies.txt line for curl; removed gives it an expiry long past,
// which takes it out of curl's jar. None when the cookie cannot be written as a line.
std::optional<QByteArray> cookiesTxtLine(const QNetworkCookie& cookie, bool removed);

// The cookies of the Chromium engine's profile: those of the cookies file put in its store,
// and every cookie the store gains or loses told to the engine's curl session, so that the
// robots.txt, probes and downloads go with the cookies the pages got.
class ProfileCookies : public QObject {
    Q_OBJECT
public:
    ProfileCookies(QWebEngineCookieStore* store, CurlSession* session, QObject* parent = nullptr);

    // Sets the cookies.txt lines in the browser's store; the store takes them a little later.
    void set(const QList<QByteArray>& lines);
    // Waits, at most boundMs, until the store has taken every cookie set; gives how many it
    // has not taken by then (it refuses, say, a cookie for a whole top-level domain).
    int waitUntilTaken(int boundMs);

signals:
    void allTaken();

private:
    void added(const QNetworkCookie& cookie);

    QPointer<QWebEngineCookieStore> m_store;
    QPointer<CurlSession> m_session;
    QSet<QByteArray> m_pending; // name, domain and path of the cookies not yet taken
};
