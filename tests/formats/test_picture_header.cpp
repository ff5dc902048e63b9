#include "formats/picture_header.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTest>
#include <QtEndian>

#include <string_view>

using namespace std::string_view_literals;
using Verdict = PictureHeader::Verdict;
Q_DECLARE_METATYPE(Verdict)

namespace {

QByteArray raw(std::string_view text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

QByteArray be32(quint32 v)
{
    QByteArray b(4, Qt::Uninitialized);
    qToBigEndian(v, b.data());
    return b;
}

QByteArray written(const char* format, QSize size, int quality = -1, bool alpha = false)
{
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(alpha ? Qt::transparent : Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

QByteArray png(quint32 width, quint32 height)
{
    return raw("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR"sv) + be32(width) + be32(height) + raw("\x08\x02\0\0\0"sv);
}

// SOI, then `count` APP1 segments of the longest length, then a 48 x 32 frame header.
QByteArray jpegAfterSegments(int count)
{
    QByteArray bytes = raw("\xFF\xD8"sv);
    for (int i = 0; i < count; ++i)
        bytes += raw("\xFF\xE1\xFF\xFF"sv) + QByteArray(0xFFFD, 'x');
    return bytes + raw("\xFF\xC0\0\x11\x08\0\x20\0\x30\x03"sv);
}

QByteArray box(const char* type, const QByteArray& payload)
{
    return be32(quint32(payload.size() + 8)) + type + payload;
}

QByteArray ispe(quint32 width, quint32 height)
{
    return box("ispe", be32(0) + be32(width) + be32(height));
}

// An AVIF whose item 1 has the 64 x 48 ispe, next to a larger 500 x 400 one (a thumbnail's,
// say); `ipma` ties item 1 to property 1.
QByteArray avif(const QByteArray& pitm, const QByteArray& ipma, const QByteArray& mdat = {})
{
    const QByteArray iprp = box("iprp", box("ipco", ispe(64, 48) + ispe(500, 400)) + ipma);
    return box("ftyp", "avif" + be32(0) + "mif1miaf") + mdat + box("meta", be32(0) + pitm + box("hdlr", be32(0)) + iprp);
}

const QByteArray kPitm1 = box("pitm", be32(0) + raw("\0\x01"sv));
const QByteArray kIpma1 = box("ipma", be32(0) + be32(1) + raw("\0\x01\x01\x81"sv));

} // namespace

class TestPictureHeader : public QObject {
    Q_OBJECT
private slots:
    void asQtReads_data();
    void asQtReads();
    void handMade_data();
    void handMade();
};

// Pictures Qt writes: the header reader gives what Qt's own reader gives, and a reader fed
// a growing prefix as it asks gets there too.
void TestPictureHeader::asQtReads_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QByteArray>("bytes");

    QByteArray jpeg = written("jpg", {640, 480});
    jpeg.insert(2, raw("\xFF\xE1\xF0\x02" "Exif\0\0"sv) + QByteArray(0xF002 - 8, '\0'));

    QTest::newRow("png") << QByteArray("png") << written("png", {300, 200});
    QTest::newRow("jpeg, 60 KiB EXIF before its frame header") << QByteArray("jpg") << jpeg;
    // Qt writes no GIF: a 5 x 700 one by hand (its pixels are not read).
    QTest::newRow("gif") << QByteArray("gif")
                         << raw("GIF89a\x05\0\xBC\x02\x80\0\0\xFF\xFF\xFF\0\0\0,\0\0\0\0\x05\0\xBC\x02\0\x02\x02\x44\x01\0;"sv);
    QTest::newRow("bmp") << QByteArray("bmp") << written("bmp", {33, 17});
    QTest::newRow("tiff, directory after the data") << QByteArray("tiff") << written("tiff", {70, 90});
    QTest::newRow("webp lossy") << QByteArray("webp") << written("webp", {123, 45}, 80);
    QTest::newRow("webp lossless") << QByteArray("webp") << written("webp", {123, 45}, 100);
    QTest::newRow("webp with alpha (VP8X)") << QByteArray("webp") << written("webp", {123, 45}, 80, true);
    QTest::newRow("ico") << QByteArray("ico") << written("ico", {48, 32});
}

void TestPictureHeader::asQtReads()
{
    QFETCH(QByteArray, format);
    QFETCH(QByteArray, bytes);
    if (!QImageReader::supportedImageFormats().contains(format) || bytes.isEmpty())
        QSKIP("no Qt plugin for this format");
    QBuffer buffer(&bytes);
    const QSize expected = QImageReader(&buffer).size();
    QVERIFY(expected.isValid());

    const PictureHeader whole = readPictureHeader(bytes, true);
    QCOMPARE(whole.verdict, Verdict::Known);
    QCOMPARE(QSize(whole.width, whole.height), expected);

    qint64 length = 0;
    for (int asked = 0; asked < 40; ++asked) {
        const PictureHeader part = readPictureHeader(QByteArrayView(bytes).first(length), false);
        if (part.verdict == Verdict::Known) {
            QCOMPARE(QSize(part.width, part.height), expected);
            return;
        }
        QCOMPARE(part.verdict, Verdict::NeedMore);
        QVERIFY(part.bytesWanted == 0 || part.bytesWanted > length);
        length = std::min<qint64>(bytes.size(), part.bytesWanted ? part.bytesWanted : length * 2 + 16);
    }
    QFAIL("the prefix never told");
}

void TestPictureHeader::handMade_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qint64>("wanted");

    const auto row = [](const char* name, const QByteArray& bytes, bool whole, Verdict verdict,
                        QSize size = {}, qint64 wanted = 0) {
        QTest::newRow(name) << bytes << whole << verdict << size << wanted;
    };
    const Verdict known = Verdict::Known;
    const Verdict unknown = Verdict::Unknown;
    const Verdict more = Verdict::NeedMore;

    const QByteArray exif = raw("\xFF\xD8\xFF\xE1\xF0\x02"sv) + QByteArray(0xF000, 'x') + raw("\xFF\xC0\0\x11\x08\0\x20\0\x30"sv);
    row("jpeg cut inside a 60 KiB EXIF block", exif.first(4096), false, more, {}, 0xF006 + 4);
    row("jpeg cut inside a 60 KiB EXIF block, whole", exif.first(4096), true, unknown);
    row("jpeg frame header before 1 MiB", jpegAfterSegments(15), false, known, {48, 32});
    row("jpeg segments past 1 MiB", jpegAfterSegments(16).first(kPictureHeaderMaxBytes), false, unknown);
    row("jpeg segment length 0", raw("\xFF\xD8\xFF\xE1\0\0"sv) + QByteArray(40, '\xFF'), false, unknown);
    row("jpeg image data before a frame header", raw("\xFF\xD8\xFF\xDA\0\x08"sv) + QByteArray(20, '\0'), false, unknown);
    row("png 32768 x 32768, the pixel bound", png(32768, 32768), false, known, {32768, 32768});
    row("png 32768 x 32769", png(32768, 32769), false, unknown);
    row("png 100000 x 100000", png(100000, 100000), true, unknown);
    row("png 0 wide", png(0, 10), true, unknown);
    row("png 3 bytes", png(1, 1).first(3), false, more, {}, 8);
    row("empty body", QByteArray(), true, unknown);
    row("html served as image/png", "<!DOCTYPE html>\n<html><head><title>x</title>", false, unknown);
    row("random bytes", raw("\x13\x37\0\x42 not a picture"sv), false, unknown);
    row("tiff big-endian, directory past the bytes",
        raw("MM\0*\0\0\x01\0"sv) + QByteArray(200, '\0'), false, more, {}, 256 + 2);
    row("tiff big-endian", raw("MM\0*\0\0\0\x08\0\x02\x01\0\0\x03\0\0\0\x01\x01\x2C\0\0\x01\x01\0\x04\0\0\0\x01\0\x01\x11\x70"sv),
        true, known, {300, 70000});
    QByteArray topDown = written("bmp", {33, 17});
    qToLittleEndian<qint32>(-17, topDown.data() + 22);
    row("bmp top-down (negative height)", topDown, true, known, {33, 17});
    row("ico: the largest entry, 0 is 256", raw("\0\0\x01\0\x02\0"sv) + QByteArray(16, '\x10') + QByteArray(16, '\0'),
        true, known, {256, 256});

    const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' ";
    row("svg px and plain number", svg + "width='120px' height='80'/>", true, known, {120, 80});
    row("svg fractions round", svg + "width='99.5' height='10.4'/>", true, known, {100, 10});
    row("svg inches", svg + "width='1in' height='2in'/>", true, known, {96, 192});
    row("svg percent: the viewBox", svg + "width='100%' height='100%' viewBox='0 0 300 150'/>", true, known, {300, 150});
    row("svg width and the viewBox's ratio", svg + "width='200' viewBox='0,0,100,50'/>", true, known, {200, 100});
    row("svg after BOM, declaration, comment, doctype",
        "\xEF\xBB\xBF<?xml version='1.0'?><!-- c --><!DOCTYPE svg PUBLIC '-//W3C//DTD SVG 1.1//EN' "
        "'http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd'>\n" + svg + "width='7' height='9'>",
        false, known, {7, 9});
    row("svg without figures", svg + "><rect/></svg>", true, unknown);
    row("svg cut inside its root tag", svg + "width='7' hei", false, more);
    row("svg cut inside its root tag, whole", svg + "width='7' hei", true, unknown);

    const QByteArray mdat = box("mdat", QByteArray(3000, '\0'));
    row("avif: the primary item's ispe", avif(kPitm1, kIpma1), true, known, {64, 48});
    row("avif without pitm: the largest ispe", avif({}, kIpma1), true, known, {500, 400});
    row("avif, ipma counting more than it holds", avif(kPitm1, box("ipma", be32(0) + be32(99999) + raw("\0\x01\x05"sv))),
        true, known, {500, 400});
    row("avif, meta after mdat past the bytes", avif(kPitm1, kIpma1, mdat).first(1000), false, more, {},
        24 + mdat.size() + 8);
    row("avif, box shorter than its header", avif(kPitm1, box("ipma", be32(0)).replace(0, 4, be32(3))), true, unknown);
    row("avif, box of 2^63 bytes", box("ftyp", "avif") + be32(1) + "meta" + raw("\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF"sv), false, unknown);
    row("mp4 is no picture", box("ftyp", "isom" + be32(0) + "mp42") + mdat, true, unknown);

    // SizeHeaders: FF 0A, then 0F 06 = small, 64 high, ratio 0, 32 wide; BA 21 05 = 1080 high
    // (13 bits), ratio 16:9.
    row("jxl codestream, small sizes", raw("\xFF\x0A\x0F\x06"sv), true, known, {32, 64});
    row("jxl codestream, 16:9", raw("\xFF\x0A\xBA\x21\x05"sv), true, known, {1920, 1080});
    row("jxl codestream cut", raw("\xFF\x0A\xBA"sv), false, more, {}, 11);
    const QByteArray jxl = raw("\0\0\0\x0CJXL \r\n\x87\n"sv) + box("ftyp", "jxl " + be32(0) + "jxl ");
    row("jxl container, jxlc", jxl + box("jxlc", raw("\xFF\x0A\xBA\x21\x05"sv)), true, known, {1920, 1080});
    row("jxl container, jxlc longer than a cut body", jxl + box("jxlc", raw("\xFF\x0A\xBA\x21\x05"sv)).replace(0, 4, be32(77)),
        true, known, {1920, 1080});
    row("jxl container, jxlp", jxl + box("jxlp", be32(0) + raw("\xFF\x0A\x0F\x06"sv)), true, known, {32, 64});
}

void TestPictureHeader::handMade()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, whole);
    QFETCH(Verdict, verdict);
    QFETCH(QSize, size);
    QFETCH(qint64, wanted);
    const PictureHeader header = readPictureHeader(bytes, whole);
    QCOMPARE(header.verdict, verdict);
    QCOMPARE(QSize(header.width, header.height), verdict == Verdict::Known ? size : QSize(0, 0));
    QCOMPARE(header.bytesWanted, wanted);
}

QTEST_GUILESS_MAIN(TestPictureHeader)
#include "test_picture_header.moc"
