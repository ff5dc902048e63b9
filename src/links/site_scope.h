#pragma once

#include <QString>
#include <QStringList>

// The site of an address: its host reduced to the last two labels, three under a
// second-level suffix such as com.cn ("http://web.a.com.cn/x" -> "a.com.cn"). Letter case
// and any port stay as written.
QString getSiteDomain(const QString& address);

// The site domains of the start addresses. An address is in scope when its site domain is
// one whole entry, letter case ignored; an empty site domain is never in scope.
class SiteList {
public:
    void addStartSite(const QString& address);
    bool inScope(const QString& address) const;
    QString text() const; // "|a.com|b.com.cn"

private:
    bool contains(const QString& siteDomain) const;

    QStringList m_entries;
};
