#pragma once

#include <QByteArrayView>
#include <QString>
#include <QUrl>

// The address of a reference on a page, as a browser's DOM hands it out: absolute against
// the base and percent-encoded. Addresses of schemes such as javascript: and mailto: and
// text that is no address come back as written, trimmed.
QString absoluteAddress(const QUrl& base, const QString& reference);

// The base of one page's references, taken apart once for the page: the plain relative
// references that most pages are made of (letters, digits, "-._~/", leading "./" and "../",
// a fragment) are joined to it as text, the others go through absoluteAddress. Both give
// the same address.
class BaseAddress {
public:
    explicit BaseAddress(const QUrl& base);
    const QUrl& url() const { return m_url; }
    // A reference in UTF-8, as the parser hands it out.
    QString absolute(QByteArrayView reference) const;

private:
    QUrl m_url;
    // What the base's address turns into before a rooted path ("http://h/"), and before a
    // path relative to its folder ("http://h/d/"); both empty where every reference goes
    // the long way.
    QString m_root;
    QString m_folder;
};
