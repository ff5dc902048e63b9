#pragma once

#include "extract/candidate_list.h"
#include "platform/document.h"

class PictureTable;
class PicturesAwaitingType;
class UrlCache;

// The two check boxes "提取标题" and "提取来源", as they stand when rows are made.
struct PictureOptions {
    bool titles = false;
    bool sources = false;
};

// Adds one picture-table row per new picture address among the candidates, in their order:
// the first candidate of an address decides its row. Candidates without an address or of
// a type that is no picture are passed over. pageTitle stands in for an empty title.
// Candidates of other types go to awaiting, which makes their rows where the server has
// said they are pictures; without it they are passed over too.
void addPictureRows(const CandidateList& candidates, const QString& pageTitle,
                    PictureTable& pictures, PictureOptions options,
                    PicturesAwaitingType* awaiting = nullptr);

// What a completed page offers the picture table.
struct PagePictures {
    CandidateList candidates;
    QString title; // the page's, trimmed
};

// Collects the candidates of a completed page and its frames; none for a document that is
// not HTML. Reads only the document and the cache, so it may run on any thread.
PagePictures pagePictures(const DocumentPtr& document, const UrlCache* cache);

// Collects the candidates of a completed page and its frames and adds their rows.
void 显示所有图片链接(const DocumentPtr& document, PictureTable& pictures,
                      PictureOptions options, const UrlCache* cache,
                      PicturesAwaitingType* awaiting = nullptr);
