#include "extract/picture_rows.h"

#include "extract/document_walk.h"
#include "extract/pictures_awaiting_type.h"
#include "links/trim_spaces.h"
#include "lists/file_names.h"
#include "lists/picture_table.h"
#include "lists/picture_types.h"
#include "lists/size_format.h"

void addPictureRows(const CandidateList& candidates, const QString& pageTitle,
                    PictureTable& pictures, PictureOptions options, PicturesAwaitingType* awaiting)
{
    // The page's rows go in together (the view hears of them once), but before a row that
    // waits for its type, which may go into the table at once: the order stays the page's.
    QList<PictureRow> rows;
    const auto addCollected = [&] {
        pictures.addRows(rows);
        rows.clear();
    };
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const QString address = trimSpaces(candidates.addresses.at(i));
        if (address.isEmpty() || pictures.containsAddress(address))
            continue;
        const QString type = getFileType(address);
        // Another type may still be a picture, as its server says.
        const bool pictureType = isPictureType(type);
        if (!pictureType && !awaiting)
            continue;
        PictureRow row;
        row.fileName = getFileName(address, false);
        row.address = address;
        row.type = type;
        bool isNumber = false;
        const double bytes = candidates.sizes.value(i).toDouble(&isNumber);
        if (isNumber && bytes > 0)
            row.size = formatSizeKb(bytes);
        if (options.titles) {
            const QString title = candidates.titles.value(i);
            row.title = title.isEmpty() ? pageTitle : title;
        }
        if (options.sources)
            row.source = candidates.sources.value(i);
        if (pictureType) {
            rows.append(std::move(row));
            continue;
        }
        addCollected();
        awaiting->offer(row, type.isEmpty());
    }
    addCollected();
}

PagePictures pagePictures(const DocumentPtr& document, const UrlCache* cache)
{
    PagePictures found;
    if (!document || !document->isHtml())
        return found;
    提取网页全部图片连接(document, found.candidates, cache);
    found.title = trimSpaces(document->title());
    return found;
}

void 显示所有图片链接(const DocumentPtr& document, PictureTable& pictures,
                      PictureOptions options, const UrlCache* cache, PicturesAwaitingType* awaiting)
{
    const PagePictures found = pagePictures(document, cache);
    addPictureRows(found.candidates, found.title, pictures, options, awaiting);
}
