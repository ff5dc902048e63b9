#include "extract/picture_rows.h"

#include "extract/document_walk.h"
#include "extract/pictures_awaiting_type.h"
#include "lists/picture_table.h"
#include "platform/url_cache.h"
#include "text/file_names.h"
#include "text/picture_types.h"
#include "text/size_format.h"
#include "text/trim_spaces.h"

QList<PictureRow> candidateRows(const CandidateList& candidates, const QString& pageTitle)
{
    QList<PictureRow> rows;
    rows.reserve(candidates.size());
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        PictureRow row;
        row.address = trimSpaces(candidates.addresses.at(i));
        if (row.address.isEmpty())
            continue;
        row.type = getFileType(row.address);
        row.fileName = getFileName(row.address, false);
        bool isNumber = false;
        const double bytes = candidates.sizes.value(i).toDouble(&isNumber);
        if (isNumber && bytes > 0)
            row.size = formatSizeKb(bytes);
        const QString title = candidates.titles.value(i);
        row.title = title.isEmpty() ? pageTitle : title;
        row.source = candidates.sources.value(i);
        rows.append(std::move(row));
    }
    return rows;
}

void addPictureRows(std::span<const PictureRow> rows, PictureTable& pictures, PictureOptions options,
                    PicturesAwaitingType* awaiting)
{
    // The page's rows go in together (the view hears of them once), but before a row that
    // waits for its type, which may go into the table at once: the order stays the page's.
    QList<PictureRow> collected;
    const auto addCollected = [&] {
        pictures.addRows(collected);
        collected.clear();
    };
    for (const PictureRow& candidate : rows) {
        if (const std::optional<int> existing = pictures.rowOfAddress(candidate.address)) {
            // A page read again after "提取标题" or "提取来源" was ticked fills what its row lacks.
            if (options.titles && !candidate.title.isEmpty() && pictures.cellText(*existing, PictureTable::Title).isEmpty())
                pictures.setCell(*existing, PictureTable::Title, candidate.title);
            if (options.sources && !candidate.source.isEmpty() && pictures.cellText(*existing, PictureTable::Source).isEmpty())
                pictures.setCell(*existing, PictureTable::Source, candidate.source);
            continue;
        }
        // Another type may still be a picture, as its server says.
        const bool pictureType = isPictureType(candidate.type);
        if (!pictureType && !awaiting)
            continue;
        PictureRow row = candidate;
        if (!options.titles)
            row.title.clear();
        if (!options.sources)
            row.source.clear();
        if (pictureType) {
            collected.append(std::move(row));
            continue;
        }
        addCollected();
        awaiting->offer(row, row.type.isEmpty());
    }
    addCollected();
}

PagePictures pagePictures(const DocumentPtr& document, const UrlCache* cache)
{
    PagePictures found;
    if (!document || !document->isHtml())
        return found;
    CandidateList candidates;
    提取网页全部图片连接(document, candidates, cache);
    found.title = trimSpaces(document->title());
    found.rows = candidateRows(candidates, found.title);
    return found;
}

void fillPictureFigures(QList<PictureRow>& rows, const UrlCache& cache)
{
    for (PictureRow& row : rows) {
        if (row.size.isEmpty()) {
            if (const std::optional<qint64> bytes = cache.byteSize(row.address); bytes && *bytes > 0)
                row.size = formatSizeKb(double(*bytes));
        }
        if (const std::optional<QSize> dimensions = cache.dimensions(row.address)) {
            row.width = QString::number(dimensions->width());
            row.height = QString::number(dimensions->height());
        }
    }
}

void 显示所有图片链接(const DocumentPtr& document, PictureTable& pictures,
                      PictureOptions options, const UrlCache* cache, PicturesAwaitingType* awaiting)
{
    const PagePictures found = pagePictures(document, cache);
    addPictureRows(found.rows, pictures, options, awaiting);
}
