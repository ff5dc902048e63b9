#pragma once

#include "extract/candidate_list.h"

#include <QString>

// Appends every url(...) reference of a style text (a page's markup or a style sheet),
// resolved against base, to candidates with an empty size and the given title and source.
// A plain text scan: it finds url( wherever it stands.
void scanCssUrls(const QString& text, const QString& base, CandidateList& candidates,
                 const QString& title, const QString& source);
