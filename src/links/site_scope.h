#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

// The site of a web address: its host reduced to the last two labels, three under a
// second-level suffix such as com.cn ("http://web.a.com.cn/x" -> "a.com.cn"), followed by a
// port other than the scheme's own. The host is the one QUrl parses (lower case, IDNA
// applied, user and password left out); an IP address stays whole ("127.0.0.1:8080",
// "[::1]"). "" for an address that is not http or https or has no host; an address without
// a scheme counts as http, as the engines load it.
QString getSiteDomain(const QString& address);

// The site domains of the start addresses. An address is in scope when its site domain is
// one whole entry, letter case ignored; an empty site domain is never in scope.
// The answers of inScope are kept, under a lock: a const list may be asked from any thread.
class SiteList {
public:
    void addStartSite(const QString& address);
    bool inScope(const QString& address) const;
    QString text() const; // "|a.com|b.com.cn"

private:
    bool contains(const QString& siteDomain) const;

    QStringList m_entries;
    // Whether addresses that begin "scheme://authority" and go on with "/" or nothing are in
    // scope: the rest of an address plays no part, and every link of every page is asked.
    mutable QHash<QString, bool> m_scopeOfOrigin;
    mutable QMutex m_scopeLock; // guards m_scopeOfOrigin
};
