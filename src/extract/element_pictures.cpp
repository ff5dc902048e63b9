#include "extract/element_pictures.h"

#include "css/css_image_set.h"
#include "css/css_urls.h"
#include "extract/lazy_attributes.h"
#include "extract/srcset.h"
#include "links/url_resolution.h"
#include "text/file_names.h"
#include "text/picture_types.h"
#include "text/trim_spaces.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

class Appender {
public:
    Appender(const QString& base, CandidateList& candidates, const QString& title,
             const QString& source, PageScripts* scripts)
        : m_base(base), m_candidates(candidates), m_title(title), m_source(source),
          m_scripts(scripts)
    {
    }

    void address(const QString& reference) const
    {
        const QString trimmed = trimSpaces(reference);
        if (!trimmed.isEmpty())
            m_candidates.append(resolveUrl(trimmed, m_base, m_scripts), QString(), m_title, m_source);
    }
    void srcset(const QString& text) const
    {
        for (const QString& reference : parseSrcset(text))
            address(reference);
    }
    void cssUrls(const QString& text) const
    {
        scanCssUrls(text, m_base, m_candidates, m_title, m_source, m_scripts);
    }
    // A lazy-loading value: url(...) references where it holds any, else one address.
    void lazyValue(const QString& value) const
    {
        if (value.contains(QLatin1String("url("), Qt::CaseInsensitive)
            || value.contains(QLatin1String("url ("), Qt::CaseInsensitive))
            cssUrls(value);
        else
            address(value);
    }

private:
    const QString& m_base;
    CandidateList& m_candidates;
    const QString& m_title;
    const QString& m_source;
    PageScripts* m_scripts;
};

QString value(const Element& element, const QString& name)
{
    return element.member(name).value_or(QString());
}

QStringList words(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\n\\r\\f]+"));
    return text.toLower().split(blanks, Qt::SkipEmptyParts);
}

bool isSocialPicture(const Element& meta)
{
    static const QStringList names{QStringLiteral("og:image"), QStringLiteral("og:image:url"),
                                   QStringLiteral("og:image:secure_url"), QStringLiteral("twitter:image")};
    return names.contains(value(meta, QStringLiteral("property")).trimmed(), Qt::CaseInsensitive)
           || names.contains(value(meta, QStringLiteral("name")).trimmed(), Qt::CaseInsensitive);
}

bool namesLinkedPicture(const Element& link)
{
    static const QStringList pictureRels{QStringLiteral("icon"), QStringLiteral("apple-touch-icon"),
                                         QStringLiteral("apple-touch-icon-precomposed"),
                                         QStringLiteral("image_src")};
    const QStringList rel = words(value(link, QStringLiteral("rel")));
    for (const QString& word : rel) {
        if (pictureRels.contains(word))
            return true;
    }
    return rel.contains(QLatin1String("preload"))
           && value(link, QStringLiteral("as")).trimmed().compare(QLatin1String("image"), Qt::CaseInsensitive) == 0;
}

// The lazy-loading attributes in the order of their list, then url(...) in any other data-*
// value by name (attributes come in no stable order), then image-set() of the style.
void appendAttributePictures(const Element& element, const Appender& append)
{
    const std::span<const LazyAttribute> lazy = lazyAttributes();
    std::vector<std::optional<QString>> lazyValues; // sized at the first one found
    std::vector<std::pair<QString, QString>> others; // a QList would allocate to be sorted empty
    QString style;
    element.forEachMember([&](const QString& name, QStringView text) {
        if (name == QLatin1String("style")) {
            style = text.toString();
            return;
        }
        if (!name.startsWith(QLatin1String("data-")))
            return;
        if (const std::optional<qsizetype> index = lazyAttributeIndex(name)) {
            lazyValues.resize(lazy.size());
            lazyValues[size_t(*index)] = text.toString();
        }
        else if (text.contains(QLatin1String("url"), Qt::CaseInsensitive))
            others.emplace_back(name, text.toString());
    });
    for (size_t i = 0; i < lazyValues.size(); ++i) {
        if (!lazyValues[i])
            continue;
        if (lazy[i].form == LazyForm::Srcset)
            append.srcset(*lazyValues[i]);
        else
            append.lazyValue(*lazyValues[i]);
    }
    std::sort(others.begin(), others.end());
    for (const auto& [name, text] : others)
        append.cssUrls(text);
    if (style.contains(QLatin1String("image-set"), Qt::CaseInsensitive)) {
        for (const QString& reference : imageSetStrings(style))
            append.address(reference);
    }
}

} // namespace

void appendElementPictures(const Element& element, const QString& base, CandidateList& candidates,
                           const QString& title, const QString& source, PageScripts* scripts)
{
    const Appender append(base, candidates, title, source, scripts);
    const QString tag = element.tagName();
    if (tag == QLatin1String("IMG") || tag == QLatin1String("SOURCE")) {
        append.srcset(value(element, QStringLiteral("srcset")));
    } else if (tag == QLatin1String("META")) {
        if (isSocialPicture(element))
            append.address(value(element, QStringLiteral("content")));
    } else if (tag == QLatin1String("LINK")) {
        if (namesLinkedPicture(element)) {
            append.address(value(element, QStringLiteral("href")));
            append.srcset(value(element, QStringLiteral("imagesrcset")));
        }
    } else if (tag == QLatin1String("VIDEO")) {
        append.address(value(element, QStringLiteral("poster")));
    } else if (tag == QLatin1String("OBJECT")) {
        const QString type = value(element, QStringLiteral("type")).trimmed();
        if (type.isEmpty() || isPictureMediaType(type))
            append.address(value(element, QStringLiteral("data")));
    } else if (tag == QLatin1String("IMAGE")) {
        const QString href = value(element, QStringLiteral("href"));
        append.address(href.trimmed().isEmpty() ? value(element, QStringLiteral("xlink:href")) : href);
    } else if (tag == QLatin1String("A") || tag == QLatin1String("AREA")) {
        const QString href = value(element, QStringLiteral("href"));
        if (isPictureType(getFileType(trimSpaces(href))))
            append.address(href);
    }
    appendAttributePictures(element, append);
}
