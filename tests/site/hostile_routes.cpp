// Pages of a server that misbehaves on purpose. Each also carries one normal picture and
// one normal link, which a load must keep whatever the rest of the page does.

#include "site/hostile_site.h"
#include "site/picture_bytes.h"
#include "site/test_site.h"

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

} // namespace

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

    const int floods = kHostileFloodCount;
    setRoute("/hostile/selfclosing.htm",
             route(hostilePage("Self-closing", hostileMarkup(HostileMarkup::SelfClosingDivs, floods))));
    setRoute("/hostile/empty_comment.htm",
             route(hostilePage("Empty comment", hostileMarkup(HostileMarkup::EmptyCommentThenDivs, floods))));
    setRoute("/hostile/amplifier.htm",
             route(hostilePage("Amplifier", hostileMarkup(HostileMarkup::FormattingAmplifier, kAmplifierParagraphs))));

    // Pages a browser shows though they never finish loading, or are too big to read whole:
    // six pictures of their own sizes beside one that never ends, and 100,000 pictures that
    // are not there.
    QByteArray six;
    for (int i = 1; i <= kSixPictures; ++i) {
        const QByteArray name = "six" + QByteArray::number(i) + ".gif";
        setRoute(QStringLiteral("/hostile/") + QString::fromLatin1(name),
                 route(gifPicture(10 * i, 5 * i, 1000 + 100 * i), Fault::None, "image/gif"));
        six += "<img src=\"" + name + "\">";
    }
    setRoute("/hostile/six_and_trickle.htm", route(hostilePage("Six and trickle", six + "<img src=\"trickle.gif\">")));
    setRoute("/hostile/pictures.htm",
             route(hostilePage("Pictures", hostileMarkup(HostileMarkup::Pictures, kHostilePictureCount))));
}
