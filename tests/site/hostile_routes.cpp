// Pages of a server that misbehaves on purpose. Each also carries one normal picture and
// one normal link, which a load must keep whatever the rest of the page does.

#include "site/hostile_site.h"
#include "site/picture_bytes.h"
#include "site/test_site.h"

#include <QtEndian>

namespace {

const QByteArray kGoodParts = "<img src=\"/img/logo.gif\"><a href=\"/pictures.htm\">good</a>";

QByteArray hostilePage(const QByteArray& title, const QByteArray& rest)
{
    return "<html><head><title>" + title + "</title></head><body>" + kGoodParts + rest + "</body></html>";
}

TestRoute route(const QByteArray& body, TestRoute::Fault fault = TestRoute::Fault::None,
                const QByteArray& contentType = "text/html")
{
    TestRoute route = htmlRoute(body, 200, contentType);
    route.fault = fault;
    return route;
}

// Each paragraph closes the one before, and with it the formatting elements inside, which
// the parser then reopens in the new one. Distinct attributes: the parser keeps no more
// than three identical formatting elements.
QByteArray formattingAmplifier(int formatting, int paragraphs)
{
    QByteArray html = "<p>";
    for (int i = 0; i < formatting; ++i)
        html += "<b id=" + QByteArray::number(i) + '>';
    return html + QByteArray("<p>x").repeated(paragraphs);
}

TestRoute ranged(const QByteArray& body, const QByteArray& contentType)
{
    TestRoute route = htmlRoute(body, 200, contentType);
    route.honourRange = true;
    return route;
}

// A JPEG segment of exactly `size` bytes (4 to 65537): marker, length, payload.
QByteArray jpegSegment(char marker, qint64 size)
{
    QByteArray segment("\xff", 1);
    segment += marker;
    char length[2];
    qToBigEndian(quint16(size - 2), length);
    segment.append(length, 2);
    return segment + QByteArray(size - 4, 'e');
}

} // namespace

QByteArray jpegMarkers(int width, int height, qint64 before, qint64 byteSize)
{
    constexpr qint64 kLargestSegment = 65537;
    QByteArray jpeg("\xff\xd8", 2);
    for (qint64 left = before; left > 0;) {
        qint64 size = std::min(left, kLargestSegment);
        if (left - size > 0 && left - size < 4)
            size -= 4; // leave room for one more whole segment
        jpeg += jpegSegment(jpeg.size() == 2 ? '\xe1' : '\xe2', size);
        left -= size;
    }
    QByteArray frame("\xff\xc0\x00\x11\x08", 5);
    char dimension[2];
    qToBigEndian(quint16(height), dimension);
    frame.append(dimension, 2);
    qToBigEndian(quint16(width), dimension);
    frame.append(dimension, 2);
    frame += QByteArray("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    jpeg += frame;
    jpeg += QByteArray("\xff\xda", 2);
    jpeg += QByteArray(std::max<qint64>(0, byteSize - jpeg.size() - 2), '\0');
    return jpeg + QByteArray("\xff\xd9", 2);
}

QByteArray hostileMarkup(HostileMarkup kind, int count)
{
    switch (kind) {
    case HostileMarkup::SelfClosingDivs:
        return QByteArray("<div/>").repeated(count);
    case HostileMarkup::EmptyCommentThenDivs:
        return "<!--><!--->" + QByteArray("<div>").repeated(count);
    case HostileMarkup::FormattingAmplifier:
        return formattingAmplifier(500, count);
    case HostileMarkup::Links:
    case HostileMarkup::Pictures:
        break;
    }
    // Distinct addresses, so that every one makes a row.
    QByteArray html;
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        html += kind == HostileMarkup::Links ? "<a href=\"l" + n + ".htm\">l</a>" : "<img src=\"p" + n + ".gif\">";
    }
    return html;
}

void TestSite::addHostileRoutes()
{
    using Fault = TestRoute::Fault;
    const QByteArray gif = "GIF89a" + QByteArray(4000, 'g');
    setRoute("/hostile/endless.htm", route(hostilePage("Endless", "<img src=\"endless.gif\">")));
    setRoute("/hostile/endless.gif", route(gif, Fault::EndlessBody, "image/gif"));
    setRoute("/hostile/trickle.htm", route(hostilePage("Trickle", "<img src=\"trickle.gif\">")));
    setRoute("/hostile/trickle.gif", route(gif, Fault::Trickle, "image/gif"));
    setRoute("/hostile/closed.htm", route(hostilePage("Closed", QByteArray(4000, ' ')), Fault::CloseMidBody));
    setRoute("/hostile/reset.htm", route(hostilePage("Reset", QByteArray(4000, ' ')), Fault::ResetMidBody));
    setRoute("/hostile/interim.htm", route(hostilePage("Interim", {}), Fault::InterimFirst));
    setRoute("/hostile/processing.htm", route(hostilePage("Processing", {}), Fault::ProcessingFirst));
    setRoute("/hostile/chunked.htm", route(hostilePage("Chunked", QByteArray(4000, ' ')), Fault::Chunked));
    setRoute("/hostile/chunked_cut.htm", route(hostilePage("Chunked cut", QByteArray(4000, ' ')), Fault::ChunkedCut));

    // Every frame holds six more: 6^8 documents if nothing stopped it.
    for (int id = 0; id < kFanOutPages; ++id) {
        QByteArray frames;
        for (int child = 6 * id + 1; child <= 6 * id + 6; ++child)
            frames += "<iframe src=\"fanout.htm?n=" + QByteArray::number(child) + "\"></iframe>";
        setRoute(QStringLiteral("/hostile/fanout.htm?n=%1").arg(id),
                 route(hostilePage("Fan " + QByteArray::number(id), frames)));
    }

    // Pictures whose dimensions are wanted without their whole bytes.
    const QByteArray png = pngPicture(kProbeWidth, kProbeHeight, kProbePictureBytes);
    setRoute("/hostile/probe/ranged.png", ranged(png, "image/png"));
    setRoute("/hostile/probe/whole.png", route(png, Fault::None, "image/png"));
    setRoute("/hostile/probe/html.png", ranged(hostilePage("Not a picture", QByteArray(4000, ' ')), "image/png"));
    setRoute("/hostile/probe/exif.jpg",
             ranged(jpegMarkers(kProbeWidth, kProbeHeight, 60 * 1024, kProbePictureBytes), "image/jpeg"));
    setRoute("/hostile/probe/deep.jpg",
             ranged(jpegMarkers(kProbeWidth, kProbeHeight, 70 * 1024, kProbePictureBytes), "image/jpeg"));
    setRoute("/hostile/probe/deeper.jpg",
             ranged(jpegMarkers(kProbeWidth, kProbeHeight, 2 * 1024 * 1024, 3 * 1024 * 1024), "image/jpeg"));
    // Sent again and again, the same start of a JPEG: an application block that is never whole.
    setRoute("/hostile/probe/trickle.jpg", route(jpegMarkers(1, 1, 65537, 0).left(16), Fault::Trickle, "image/jpeg"));
    // Half of a promised 33 bytes, then silence.
    TestRoute stalled = route(jpegMarkers(1, 1, 65537, 0).left(32), Fault::None, "image/jpeg");
    stalled.neverFinish = true;
    setRoute("/hostile/probe/stalled.jpg", stalled);

    const int floods = kHostileFloodCount;
    setRoute("/hostile/selfclosing.htm",
             route(hostilePage("Self-closing", hostileMarkup(HostileMarkup::SelfClosingDivs, floods))));
    setRoute("/hostile/empty_comment.htm",
             route(hostilePage("Empty comment", hostileMarkup(HostileMarkup::EmptyCommentThenDivs, floods))));
    setRoute("/hostile/amplifier.htm",
             route(hostilePage("Amplifier", hostileMarkup(HostileMarkup::FormattingAmplifier, kAmplifierParagraphs))));

    // More tags than the parser may work on: the page is cut off before its end.
    constexpr int kGoodLastDivs = 600'000;
    // Good parts that stand last: past the element cap and the parser's work bound, or in a
    // document that never finishes arriving.
    const QByteArray head = "<html><head><title>Good last</title></head><body>";
    setRoute("/hostile/links_then_good.htm",
             route(head + hostileMarkup(HostileMarkup::Links, floods) + kGoodParts));
    setRoute("/hostile/empty_comment_then_good.htm",
             route(head + hostileMarkup(HostileMarkup::EmptyCommentThenDivs, kGoodLastDivs) + kGoodParts));
    setRoute("/hostile/trickle_doc.htm", route(hostilePage("Trickle doc", QByteArray(4000, ' ')), Fault::Trickle));

    // Crawled whole, so they link nothing but each other.
    for (int n = 1; n <= kQueryChainPages; ++n) {
        setRoute(QStringLiteral("/hostile/chain.htm?n=%1").arg(n),
                 htmlRoute("<a href=\"?n=" + QByteArray::number(n + 1) + "\">next</a>"));
    }
    for (int page = 1; page <= kListingPages; ++page) {
        QByteArray links;
        for (const int other : {1, page - 2, page - 1, page + 1, page + 2, kListingPages}) {
            if (other >= 1 && other <= kListingPages && other != page)
                links += "<a href=\"list.htm?page=" + QByteArray::number(other) + "\">" + QByteArray::number(other) + "</a>";
        }
        setRoute(QStringLiteral("/hostile/list.htm?page=%1").arg(page), htmlRoute(links));
    }

    // Pages a browser shows though they never finish loading, or are too big to read whole:
    // six pictures of their own sizes beside one that never ends, more elements than a page
    // is read for, and 100,000 pictures that are not there.
    QByteArray six;
    for (int i = 1; i <= kSixPictures; ++i) {
        const QByteArray name = "six" + QByteArray::number(i) + ".gif";
        setRoute(QStringLiteral("/hostile/") + QString::fromLatin1(name),
                 route(gifPicture(10 * i, 5 * i, 1000 + 100 * i), Fault::None, "image/gif"));
        six += "<img src=\"" + name + "\">";
    }
    setRoute("/hostile/six_and_trickle.htm", route(hostilePage("Six and trickle", six + "<img src=\"trickle.gif\">")));
    setRoute("/hostile/breaks.htm", route(hostilePage("Breaks", QByteArray("<br>").repeated(kHostileFloodCount))));
    setRoute("/hostile/pictures.htm",
             route(hostilePage("Pictures", hostileMarkup(HostileMarkup::Pictures, kHostilePictureCount))));
}
