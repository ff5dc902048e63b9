#include "platform/html/html_snapshot.h"

#include "css/css_imports.h"
#include "platform/html/base_address.h"
#include "platform/html/light_pass.h"
#include "platform/html/nesting_guard.h"
#include "platform/html/parse_arena.h"
#include "platform/html/parser_faults.h"
#include "platform/html/tag_attributes.h"
#include "platform/html/thinned_markup.h"
#include "platform/html/utf8_offsets.h"

#include <QScopeGuard>

#include <gumbo.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <vector>

namespace {

bool isAsciiSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

QString stripAndCollapse(const QString& text)
{
    QString out;
    out.reserve(text.size());
    bool pendingSpace = false;
    for (const QChar c : text) {
        if (isAsciiSpace(c)) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (pendingSpace)
            out += u' ';
        pendingSpace = false;
        out += c;
    }
    return out;
}

QString fromGumbo(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QString upperTagName(const GumboElement& element)
{
    if (element.tag != GUMBO_TAG_UNKNOWN) {
        // One shared string per known tag: pages hold tens of thousands of elements.
        static const std::vector<QString> names = [] {
            std::vector<QString> all;
            for (int tag = 0; tag < GUMBO_TAG_LAST; ++tag)
                all.push_back(QString::fromLatin1(gumbo_normalized_tagname(GumboTag(tag))).toUpper());
            return all;
        }();
        return element.tag < GUMBO_TAG_LAST ? names.at(element.tag) : QString();
    }
    GumboStringPiece name = element.original_tag;
    if (!name.data || name.length == 0)
        return QString();
    gumbo_tag_from_original_text(&name);
    return QString::fromUtf8(name.data, qsizetype(name.length)).toUpper();
}

bool isStyleSheetLink(const TagAttributes& attributes)
{
    const QString type = attributes.text("type").value_or(QString()).trimmed().toLower();
    if (type == QLatin1String("text/css"))
        return true;
    if (!type.isEmpty())
        return false;
    const QString rel = attributes.text("rel").value_or(QString());
    const QStringList words = rel.simplified().split(u' ', Qt::SkipEmptyParts);
    return words.contains(QStringLiteral("stylesheet"), Qt::CaseInsensitive);
}

// Every element of the tree in document order, at most kMaxElements; template contents are
// not part of it. *capped tells whether elements were left out.
std::vector<const GumboNode*> elementsInOrder(const GumboNode* root, bool* capped)
{
    std::vector<const GumboNode*> out;
    std::vector<const GumboNode*> stack{root};
    while (!stack.empty() && out.size() < size_t(kMaxElements)) {
        const GumboNode* node = stack.back();
        stack.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
            continue;
        out.push_back(node);
        if (node->type == GUMBO_NODE_TEMPLATE)
            continue;
        const GumboVector& children = node->v.element.children;
        for (unsigned i = children.length; i > 0; --i)
            stack.push_back(static_cast<const GumboNode*>(children.data[i - 1]));
    }
    *capped = std::any_of(stack.cbegin(), stack.cend(), [](const GumboNode* node) {
        return node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE;
    });
    return out;
}

QString textContent(const GumboNode* node)
{
    QString text;
    std::vector<const GumboNode*> stack{node};
    while (!stack.empty()) {
        const GumboNode* current = stack.back();
        stack.pop_back();
        if (current->type == GUMBO_NODE_TEXT || current->type == GUMBO_NODE_WHITESPACE
            || current->type == GUMBO_NODE_CDATA) {
            text += fromGumbo(current->v.text.text);
        } else if (current->type == GUMBO_NODE_ELEMENT) {
            const GumboVector& children = current->v.element.children;
            for (unsigned i = children.length; i > 0; --i)
                stack.push_back(static_cast<const GumboNode*>(children.data[i - 1]));
        }
    }
    return text;
}

// Where an element's markup stands in the parser's input, in bytes.
struct ByteSpans {
    qsizetype begin = 0;
    qsizetype innerBegin = 0;
    qsizetype innerEnd = 0;
    qsizetype end = 0;
};

ByteSpans byteSpans(const GumboNode* node, const char* input, qsizetype inputSize)
{
    const GumboElement& element = node->v.element;
    auto clamp = [inputSize](qsizetype value) { return std::clamp<qsizetype>(value, 0, inputSize); };
    ByteSpans spans;
    if (element.original_tag.data) {
        spans.begin = clamp(element.original_tag.data - input);
        spans.innerBegin = clamp(spans.begin + qsizetype(element.original_tag.length));
    } else {
        spans.begin = spans.innerBegin = clamp(element.start_pos.offset);
    }
    const bool ownEndTag = !(node->parse_flags & GUMBO_INSERTION_IMPLICIT_END_TAG)
                           && element.original_end_tag.data && element.original_end_tag.length > 0;
    if (ownEndTag) {
        spans.innerEnd = clamp(element.original_end_tag.data - input);
        spans.end = clamp(spans.innerEnd + qsizetype(element.original_end_tag.length));
    } else {
        spans.innerEnd = spans.end = clamp(element.end_pos.offset);
    }
    // Elements that the parser moved or cloned can report positions out of order.
    spans.innerEnd = std::max(spans.innerEnd, spans.innerBegin);
    spans.end = std::max(spans.end, spans.innerEnd);
    return spans;
}

ByteSpans inPage(const ByteSpans& spans, const ThinnedMarkup& parsed)
{
    return {parsed.originalOffset(spans.begin), parsed.originalOffset(spans.innerBegin),
            parsed.originalOffset(spans.innerEnd), parsed.originalOffset(spans.end)};
}

// The parser's UTF-8 texts as UTF-16, read into one buffer that every attribute of a page
// reuses.
class Utf16Buffer {
public:
    QStringView read(QByteArrayView bytes)
    {
        if (!isAscii(bytes)) {
            m_text = QString::fromUtf8(bytes);
            return m_text;
        }
        m_text.resize(0); // keeps its capacity
        m_text.append(QLatin1StringView(bytes));
        return m_text;
    }

private:
    static bool isAscii(QByteArrayView bytes)
    {
        unsigned char seen = 0;
        for (const char c : bytes)
            seen |= static_cast<unsigned char>(c);
        return seen < 0x80;
    }
    QString m_text;
};

// Every attribute as written, under its lower-case name (xlink:href keeps its prefix); src
// and href absolute, as a browser's DOM hands them out. Names that the snapshot uses for its
// own members are not taken from the markup.
void addMembers(ElementStore& store, ElementStore::Index index, const TagAttributes& attributes, const BaseAddress& base,
                Utf16Buffer& buffer)
{
    attributes.forEach([&](QByteArrayView name, QByteArrayView value, bool xlink) {
        if (name == "filesize" || name == "outerhtml" || name == "innerhtml")
            return;
        if (xlink && !name.startsWith("xlink:")) {
            const QString prefixed = QLatin1String("xlink:") + QString::fromUtf8(name);
            store.addMember(index, prefixed, buffer.read(value));
        } else if (name == "src" || name == "href") {
            store.addMember(index, QUtf8StringView(name), base.absolute(value));
        } else {
            store.addMember(index, QUtf8StringView(name), buffer.read(value));
        }
    });
}

// The parser's tree of a large page is freed in many small pieces, which the C library keeps
// for itself among the ones still in use: handed back, they do not raise the resident memory
// of the process for good after each large page.
void releaseParserMemory(qsizetype parsedBytes)
{
#if defined(__GLIBC__)
    constexpr qsizetype kLargePage = 4 << 20;
    if (parsedBytes >= kLargePage)
        malloc_trim(0);
#else
    Q_UNUSED(parsedBytes);
#endif
}

// Reads the markup from `from` on for its pictures and links alone, as the light pass does.
void readPicturesAndLinks(ParsedPage& page, qsizetype from, const BaseAddress& references)
{
    ElementStore& store = page.data.elements;
    const ElementStore::Index first = store.size();
    readPastTheCap(*page.data.markup, from, references, store);
    for (ElementStore::Index index = first; index < store.size(); ++index) {
        if (store.tagName(index) != QLatin1String("IMG"))
            continue;
        if (const auto src = store.member(index, u"src"); src && !src->trimmed().isEmpty())
            page.pictures.append(*src);
        page.images.append(index);
    }
}

} // namespace

bool isHtmlContentType(QByteArrayView contentType)
{
    const QByteArray mediaType = contentType.toByteArray().split(';').value(0).trimmed().toLower();
    return mediaType.isEmpty() || mediaType == "text/html" || mediaType == "application/xhtml+xml";
}

ParsedPage parseHtml(const QString& text, const QUrl& address)
{
    ParsedPage page;
    auto markup = std::make_shared<const QString>(text);
    page.data.isHtml = true;
    page.data.url = address.toString(QUrl::FullyEncoded);
    page.data.location = page.data.url;
    page.data.markup = markup;

    // One copy of the page as bytes: the guard blanks single bytes and cuts off the tail, so
    // positions in what it leaves are positions in the page.
    QByteArray input = text.toUtf8();
    const qsizetype cutAt = limitNesting(input);
    const Utf8Offsets offsets(input);
    const ThinnedMarkup parsed(input);
    const QByteArray& parserInput = parsed.bytes();

    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // each error record copies the open elements; we read none
    // A page of ordinary size is parsed into this thread's arena and its tree dropped with it.
    ParseArena* const arena =
        qsizetype(ParseArena::kMaxPageBytes) >= parserInput.size() ? &ParseArena::ofThisThread() : nullptr;
    if (arena) {
        options.allocator = [](void* userdata, size_t size) { return static_cast<ParseArena*>(userdata)->allocate(size); };
        options.deallocator = [](void*, void*) {};
        options.userdata = arena;
    }
    GumboOutput* const output = parseWithoutAbort(options, parserInput);
    const auto freeTree = qScopeGuard([&] {
        if (arena) {
            arena->reset();
            return;
        }
        if (output)
            gumbo_destroy_output(&options, output);
        releaseParserMemory(parserInput.size());
    });
    if (!output) {
        // A fault of the parser leaves no tree; the page's pictures and links are still read.
        readPicturesAndLinks(page, 0, BaseAddress(address));
        return page;
    }

    bool capped = false;
    const std::vector<const GumboNode*> elements = elementsInOrder(output->root, &capped);
    QUrl base = address;
    for (const GumboNode* node : elements) {
        if (node->v.element.tag != GUMBO_TAG_BASE)
            continue;
        if (const auto href = TagAttributes(node->v.element, parsed, parserInput).text("href")) {
            const QUrl declared(absoluteAddress(address, *href), QUrl::StrictMode);
            const QString scheme = declared.scheme().toLower();
            if (declared.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
                base = declared;
            break;
        }
    }
    const BaseAddress references(base);
    Utf16Buffer buffer;
    if (base != address)
        page.data.baseUrl = base.toString(QUrl::FullyEncoded);
    ElementStore& store = page.data.elements;

    bool titleFound = false;
    struct {
        qsizetype offset = -1; // in bytes
        qsizetype position = 0; // in the text
    } lastStartTagEnd;
    for (const GumboNode* node : elements) {
        const GumboElement& element = node->v.element;
        const QString tag = upperTagName(element);
        if (tag.isEmpty())
            continue;

        // Each offset counted on from the one before it, most often a few bytes back.
        const ByteSpans bytes = inPage(byteSpans(node, parserInput.constData(), parserInput.size()), parsed);
        const qsizetype begin = offsets.toUtf16(bytes.begin, lastStartTagEnd.offset, lastStartTagEnd.position);
        const qsizetype innerBegin = offsets.toUtf16(bytes.innerBegin, bytes.begin, begin);
        const qsizetype innerEnd = offsets.toUtf16(bytes.innerEnd, bytes.innerBegin, innerBegin);
        const qsizetype end = offsets.toUtf16(bytes.end, bytes.innerEnd, innerEnd);
        lastStartTagEnd = {bytes.innerBegin, innerBegin};
        const MarkupSpan inner{innerBegin, innerEnd - innerBegin};
        const ElementStore::Index index = store.appendElement(tag, {begin, end - begin}, inner);
        const TagAttributes attributes(element, parsed, parserInput);
        addMembers(store, index, attributes, references, buffer);

        const bool html = element.tag_namespace == GUMBO_NAMESPACE_HTML;
        if (html && element.tag == GUMBO_TAG_TITLE && !titleFound) {
            titleFound = true;
            page.data.title = stripAndCollapse(textContent(node));
        }
        if (html && (element.tag == GUMBO_TAG_BODY || element.tag == GUMBO_TAG_FRAMESET)
            && node->parent == output->root && !page.data.bodyBackground) {
            page.data.bodyBackground = attributes.text("background");
        }
        if (html && element.tag == GUMBO_TAG_LINK) {
            const auto href = attributes.text("href");
            if (href && isStyleSheetLink(attributes) && !href->trimmed().isEmpty())
                page.styleSheets.append(store.member(index, u"href").value_or(QString()));
        }
        if (html && (element.tag == GUMBO_TAG_FRAME || element.tag == GUMBO_TAG_IFRAME)) {
            const auto src = attributes.text("src");
            const bool empty = !src || src->trimmed().isEmpty();
            page.frameSources.append(empty ? QString() : store.member(index, u"src").value_or(QString()));
        }
        if (html && element.tag == GUMBO_TAG_STYLE && !page.data.url.isEmpty()) {
            const QString block = markup->mid(inner.begin, inner.length);
            if (block.contains(QLatin1String("@import"), Qt::CaseInsensitive))
                page.styleBlockImports += importedSheets(block, base.toString(QUrl::FullyEncoded));
        }
        if (html && element.tag == GUMBO_TAG_IMG) {
            const auto src = attributes.text("src");
            if (src && !src->trimmed().isEmpty())
                page.pictures.append(store.member(index, u"src").value_or(QString()));
            page.images.append(index); // its file size is known when the picture has loaded
        }
        if (html && (element.tag == GUMBO_TAG_A || element.tag == GUMBO_TAG_AREA)
            && attributes.find("href"))
            store.addLink(index);
    }

    // What stands past the element cap, or past where the guard cut the page, is still read
    // for its pictures and links: from the last element kept on, or from the cut.
    if (!capped && cutAt < 0)
        return page;
    const qsizetype from = capped ? lastStartTagEnd.position
                                  : offsets.toUtf16(cutAt, lastStartTagEnd.offset, lastStartTagEnd.position);
    readPicturesAndLinks(page, from, references);
    return page;
}
