#include "platform/html/html_charset.h"

#include <QList>
#include <QStringDecoder>

namespace {

// Pages declare their charset near the start; look no further than this.
constexpr qsizetype kPrescanBytes = 4096;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool startsWithNoCase(QByteArrayView text, qsizetype at, QByteArrayView word)
{
    if (at < 0 || at + word.size() > text.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (lower(text[at + i]) != word[i])
            return false;
    }
    return true;
}

struct Attribute {
    QByteArray name; // lower case
    QByteArray value;
};

// Reads one attribute of a tag at `at`; moves `at` past it. Nothing at the tag's end.
std::optional<Attribute> readAttribute(QByteArrayView text, qsizetype& at)
{
    const qsizetype size = text.size();
    while (at < size && (isSpace(text[at]) || text[at] == '/'))
        ++at;
    if (at >= size || text[at] == '>')
        return std::nullopt;
    Attribute attribute;
    while (at < size && !isSpace(text[at]) && text[at] != '=' && text[at] != '>' && text[at] != '/') {
        attribute.name += lower(text[at]);
        ++at;
    }
    while (at < size && isSpace(text[at]))
        ++at;
    if (at >= size || text[at] != '=')
        return attribute;
    ++at;
    while (at < size && isSpace(text[at]))
        ++at;
    if (at < size && (text[at] == '"' || text[at] == '\'')) {
        const char quote = text[at++];
        while (at < size && text[at] != quote)
            attribute.value += text[at++];
        if (at >= size)
            return std::nullopt; // cut off inside the value: no declaration to trust
        ++at;
    } else {
        while (at < size && !isSpace(text[at]) && text[at] != '>')
            attribute.value += text[at++];
    }
    return attribute;
}

// The charset named in an http-equiv content value: "text/html; charset=gbk".
std::optional<QByteArray> charsetFromContent(QByteArrayView content)
{
    for (qsizetype at = 0; at + 7 <= content.size(); ++at) {
        if (!startsWithNoCase(content, at, "charset"))
            continue;
        qsizetype i = at + 7;
        while (i < content.size() && isSpace(content[i]))
            ++i;
        if (i >= content.size() || content[i] != '=')
            continue;
        ++i;
        while (i < content.size() && isSpace(content[i]))
            ++i;
        QByteArray value;
        if (i < content.size() && (content[i] == '"' || content[i] == '\'')) {
            const char quote = content[i++];
            while (i < content.size() && content[i] != quote)
                value += content[i++];
        } else {
            while (i < content.size() && !isSpace(content[i]) && content[i] != ';')
                value += content[i++];
        }
        if (!value.isEmpty())
            return value;
    }
    return std::nullopt;
}

QString decodeWith(const QByteArray& name, QByteArrayView bytes)
{
    QStringDecoder decoder(name.constData());
    return decoder.decode(bytes);
}

} // namespace

std::optional<QByteArray> charsetFromContentType(QByteArrayView contentType)
{
    return charsetFromContent(contentType);
}

std::optional<QByteArray> prescanMetaCharset(QByteArrayView bytes)
{
    const QByteArrayView text = bytes.first(std::min(bytes.size(), kPrescanBytes));
    const qsizetype size = text.size();
    qsizetype at = 0;
    while (at < size) {
        if (text[at] != '<') {
            ++at;
            continue;
        }
        if (startsWithNoCase(text, at, "<!--")) {
            const qsizetype end = QByteArrayView(text).indexOf("-->", at + 4);
            if (end < 0)
                return std::nullopt;
            at = end + 3;
            continue;
        }
        const bool isMeta = startsWithNoCase(text, at, "<meta") && at + 5 < size
                            && (isSpace(text[at + 5]) || text[at + 5] == '/');
        if (!isMeta) {
            // Any other tag, declaration or end tag: skip to its end.
            const qsizetype end = QByteArrayView(text).indexOf('>', at + 1);
            if (end < 0)
                return std::nullopt;
            at = end + 1;
            continue;
        }
        at += 5;
        std::optional<QByteArray> charset;
        std::optional<QByteArray> content;
        bool contentTypeEquiv = false;
        while (const auto attribute = readAttribute(text, at)) {
            if (attribute->name == "charset" && !charset)
                charset = attribute->value.trimmed();
            else if (attribute->name == "content" && !content)
                content = attribute->value;
            else if (attribute->name == "http-equiv")
                contentTypeEquiv = attribute->value.trimmed().toLower() == "content-type";
        }
        if (charset && !charset->isEmpty())
            return charset;
        if (contentTypeEquiv && content) {
            if (auto fromContent = charsetFromContent(*content))
                return fromContent;
        }
        ++at;
    }
    return std::nullopt;
}

std::optional<QByteArray> decoderNameForLabel(QByteArrayView label)
{
    const QByteArray name = label.toByteArray().trimmed().toLower();
    if (name.isEmpty())
        return std::nullopt;
    // What pages call GB2312 or GBK is in practice GBK; GB18030 reads all of it.
    static const QList<QByteArray> chinese{"gb2312", "gbk", "x-gbk", "gb_2312-80", "csgb2312",
                                           "chinese", "iso-ir-58", "gb18030", "euc-cn"};
    if (chinese.contains(name))
        return QByteArray("GB18030");
    // Pages labelled Latin-1 or ASCII are written in windows-1252 in practice.
    static const QList<QByteArray> western{"iso-8859-1", "iso8859-1", "latin1", "l1", "us-ascii",
                                           "ascii", "cp1252", "windows-1252", "x-cp1252"};
    if (western.contains(name))
        return QByteArray("windows-1252");
    if (name == "utf8" || name == "unicode-1-1-utf-8")
        return QByteArray("UTF-8");
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return std::nullopt;
    return name;
}

QString decodeHtml(const QByteArray& bytes, const QByteArray& contentType)
{
    const QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        return decodeWith("UTF-8", view.sliced(3));
    if (view.startsWith("\xFF\xFE"))
        return decodeWith("UTF-16LE", view.sliced(2));
    if (view.startsWith("\xFE\xFF"))
        return decodeWith("UTF-16BE", view.sliced(2));

    if (const auto label = charsetFromContentType(contentType)) {
        if (const auto name = decoderNameForLabel(*label))
            return decodeWith(*name, view);
    }
    if (const auto label = prescanMetaCharset(view)) {
        if (auto name = decoderNameForLabel(*label)) {
            // The declaration was read as ASCII, so the page cannot be UTF-16.
            if (name->startsWith("utf-16"))
                name = QByteArray("UTF-8");
            return decodeWith(*name, view);
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    return decodeWith("windows-1252", view);
}
