#include "lists/picture_filter.h"

#include "text/size_format.h"

namespace {

bool applies(const QRegularExpression& pattern)
{
    return !pattern.pattern().isEmpty() && pattern.isValid();
}

enum class Figure { Enough, TooSmall, Unknown };

// Width and height cells are read as the table sorts them. No picture is 0 pixels wide:
// a 0 there means that whoever wrote it could not read the picture.
Figure atLeast(const QString& cell, std::optional<int> minimum)
{
    if (!minimum)
        return Figure::Enough;
    const std::optional<double> value = sizeCellValue(cell);
    if (!value || *value < 1)
        return Figure::Unknown;
    return *value >= *minimum ? Figure::Enough : Figure::TooSmall;
}

} // namespace

PictureFilter::Verdict PictureFilter::judge(const PictureRow& row) const
{
    if (!types.isEmpty() && !types.contains(row.type, Qt::CaseInsensitive))
        return Verdict::Fails;
    if (!text.isEmpty() && !row.address.contains(text, Qt::CaseInsensitive)
        && !row.fileName.contains(text, Qt::CaseInsensitive))
        return Verdict::Fails;
    if (minSizeKb || maxSizeKb) {
        const std::optional<double> kb = sizeCellValue(row.size);
        if (!kb || (minSizeKb && *kb < *minSizeKb) || (maxSizeKb && *kb > *maxSizeKb))
            return Verdict::Fails;
    }
    if (applies(match) && !match.match(row.address).hasMatch())
        return Verdict::Fails;
    if (applies(exclude) && exclude.match(row.address).hasMatch())
        return Verdict::Fails;
    const Figure width = atLeast(row.width, minWidth);
    const Figure height = atLeast(row.height, minHeight);
    if (width == Figure::TooSmall || height == Figure::TooSmall)
        return Verdict::Fails;
    if (width == Figure::Unknown || height == Figure::Unknown)
        return Verdict::DimensionsUnknown;
    return Verdict::Pass;
}

bool PictureFilter::isEmpty() const
{
    return !minWidth && !minHeight && !minSizeKb && !maxSizeKb && types.isEmpty() && !applies(match)
        && !applies(exclude) && text.isEmpty();
}
