#pragma once

#include "css/candidate_list.h"

#include <QString>
#include <QStringList>

class PageScripts;

// Appends every url(...) reference of a style text (a page's markup or a style sheet),
// resolved against base, to candidates with an empty size and the given title and source.
// A plain text scan: it finds url( wherever it stands.
// The url(...) references of a style text as written, unresolved, in text order.
QStringList cssUrlReferences(const QString& text);

// scripts are those of the page the text stands in, when there is one.
void scanCssUrls(const QString& text, const QString& base, CandidateList& candidates,
                 const QString& title, const QString& source, PageScripts* scripts = nullptr);
