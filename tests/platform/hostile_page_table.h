#pragma once

// The hostile server's pages as one table that each engine runs: the page, whether it fails,
// the tag whose elements are bounded, by how many, and the requests the whole load may make.
// Every page that does not fail keeps its good picture and its good link.

#include "platform/document.h"
#include "platform/html/html_snapshot.h"
#include "platform/html/light_pass.h"
#include "platform/html/nesting_guard.h"
#include "platform/net/page_load.h"
#include "site/hostile_site.h"

#include <QTest>

#include <algorithm>
#include <optional>

inline void addHostilePageRows()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<QString>("tag");     // elements of this tag are bounded...
    QTest::addColumn<int>("maxElements"); // ...by this many
    QTest::addColumn<int>("maxRequests"); // requests the whole load may make

    QTest::newRow("endless picture") << "/hostile/endless.htm" << false << "IMG" << 2 << 3;
    QTest::newRow("trickling picture") << "/hostile/trickle.htm" << false << "IMG" << 2 << 3;
    QTest::newRow("connection closed mid-page") << "/hostile/closed.htm" << true << "" << 0 << 1;
    QTest::newRow("connection reset mid-page") << "/hostile/reset.htm" << true << "" << 0 << 1;
    QTest::newRow("103 response first") << "/hostile/interim.htm" << false << "IMG" << 1 << 2;
    QTest::newRow("102 response first") << "/hostile/processing.htm" << false << "IMG" << 1 << 2;
    QTest::newRow("chunked page") << "/hostile/chunked.htm" << false << "IMG" << 1 << 2;
    QTest::newRow("chunked page without its last chunk") << "/hostile/chunked_cut.htm" << true << "" << 0 << 1;
    QTest::newRow("six frames in every frame") << "/hostile/fanout.htm?n=0" << false << "IFRAME" << 6
                                               << PageLoad::kMaxDocuments + 1;
    QTest::newRow("<!--> then a div flood") << "/hostile/empty_comment.htm" << false << "DIV"
                                            << ParseBounds::kMaxDepth << 2;
    // The big pages. The good parts of the first two stand last, past the element cap, and
    // past the parser's work bound.
    QTest::newRow("links past the element cap, then the good ones")
        << "/hostile/links_then_good.htm" << false << "A" << int(kMaxElements + LightPassBounds::kMaxElements) << 2;
    QTest::newRow("<!--> then divs past the work bound, then the good parts")
        << "/hostile/empty_comment_then_good.htm" << false << "DIV" << ParseBounds::kMaxDepth << 2;
    QTest::newRow("<div/> flood") << "/hostile/selfclosing.htm" << false << "DIV" << ParseBounds::kMaxDepth << 2;
    QTest::newRow("formatting amplifier") << "/hostile/amplifier.htm" << false << "B"
                                          << ParseBounds::kMaxActiveFormatting * (kAmplifierParagraphs + 1) << 2;
}

// The page, and the rest of it read from its bytes where its snapshot was cut short.
inline QList<DocumentPtr> pageParts(const DocumentPtr& document)
{
    QList<DocumentPtr> parts;
    for (DocumentPtr part = document; part; part = part->restOfPage())
        parts.append(part);
    return parts;
}

// The good picture among the page's pictures, and whether the good link is among its links.
inline std::optional<Element> goodPicture(const DocumentPtr& document, const QString& src)
{
    for (const DocumentPtr& part : pageParts(document)) {
        for (const Element& image : part->getElementsByTagName(QStringLiteral("IMG"))) {
            if (image.src() == src)
                return image;
        }
    }
    return std::nullopt;
}

inline bool hasLink(const DocumentPtr& document, const QString& href)
{
    const auto isGood = [&](const Element& link) { return link.href() == href; };
    for (const DocumentPtr& part : pageParts(document)) {
        const QList<Element> links = part->links();
        if (std::any_of(links.cbegin(), links.cend(), isGood))
            return true;
    }
    return false;
}

// The page and its frames, all deep.
inline int documentCount(const DocumentPtr& document)
{
    if (!document)
        return 0;
    int count = 1;
    for (const DocumentPtr& frame : document->frames())
        count += documentCount(frame);
    return count;
}
