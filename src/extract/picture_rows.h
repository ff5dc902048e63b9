#pragma once

#include "css/candidate_list.h"
#include "lists/picture_table.h"
#include "platform/document.h"

#include <span>

class PicturesAwaitingType;
class UrlCache;

// The two check boxes "提取标题" and "提取来源", as they stand when rows are made.
struct PictureOptions {
    bool titles = false;
    bool sources = false;
};

// The row each candidate would make, in their order, with its title (pageTitle where it has
// none) and source; candidates without an address make none. Needs no table, so it may run
// on any thread.
QList<PictureRow> candidateRows(const CandidateList& candidates, const QString& pageTitle);

// Adds one picture-table row per new picture address among the rows, in their order: the
// first row of an address decides. Rows of a type that is no picture go to awaiting, which
// adds them where the server has said they are pictures; without it they are passed over.
// Titles and sources are kept as options says.
void addPictureRows(std::span<const PictureRow> rows, PictureTable& pictures, PictureOptions options,
                    PicturesAwaitingType* awaiting = nullptr);

// What a completed page offers the picture table.
struct PagePictures {
    QList<PictureRow> rows; // one for each candidate with an address
    QString title;          // the page's, trimmed
};

// Collects the candidates of a completed page and its frames; none for a document that is
// not HTML. Reads only the document and the cache, so it may run on any thread.
PagePictures pagePictures(const DocumentPtr& document, const UrlCache* cache);

// Fills each row's width and height with the dimensions the cache reads from what it holds
// of the picture, and its size where it has none and the cache knows one. Reads picture
// headers, so it runs on a worker, never on the event loop's thread.
void fillPictureFigures(QList<PictureRow>& rows, const UrlCache& cache);

// Collects the candidates of a completed page and its frames and adds their rows.
void 显示所有图片链接(const DocumentPtr& document, PictureTable& pictures,
                      PictureOptions options, const UrlCache* cache,
                      PicturesAwaitingType* awaiting = nullptr);
