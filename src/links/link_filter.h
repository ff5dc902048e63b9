#pragma once

#include "links/site_scope.h"

#include <QString>

#include <optional>

// The extension of a page link's last path component, query included (page.asp?id=1 gives
// "", being longer than 6 characters): the page-table filter's notion of a link type.
QString getLinkExtension(const QString& address);

// A harvested link as the page table takes it (trimmed, one trailing "#" removed), or nothing
// when it is no web address, names a file type that is not a page, or lies outside the sites.
std::optional<QString> harvestableAddress(const QString& link, const SiteList& sites);
