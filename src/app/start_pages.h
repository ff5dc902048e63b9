#pragma once

#include <QString>

class PageTable;
class SiteList;

// Adds one start address (spaces at both ends removed) as a page-table row titled "[添加]",
// unless its key is known already, and offers its site to the site list in either case.
void addStartPage(const QString& address, PageTable& pages, SiteList& sites);

// Adds every line of the start-address box. Any line break separates (CR LF as typed on
// Windows, LF as a Qt text box gives it); blank lines and lines of spaces are skipped.
void addStartPages(const QString& startText, PageTable& pages, SiteList& sites);
