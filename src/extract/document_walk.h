#pragma once

#include "css/candidate_list.h"
#include "platform/document.h"

class UrlCache;

// Appends the picture candidates of a page and of all its frames, document by document in
// the order of collectDocuments. Linked style sheets are read from the cache only (none
// without a cache).
// Each document gives them in this order: body background, EMBED
// with an image type, TD backgrounds, image INPUTs, IMG (with their sizes), url(...) in the
// markup, url(...) in each linked style sheet (resolved against the sheet's address); then,
// element by element in document order, the sources of present-day pages (see
// appendElementPictures) resolved against the document's base, and for style blocks and
// linked sheets their image-set() strings and the sheets they @import (at most
// kMaxImportDepth deep, each once per page).
void 提取网页全部图片连接(const DocumentPtr& document, CandidateList& candidates,
                         const UrlCache* cache);
