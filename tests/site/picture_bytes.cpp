#include "site/picture_bytes.h"

#include <QtEndian>

#include <cstdint>

namespace {

void appendLe16(QByteArray& out, int value)
{
    out += char(value & 0xff);
    out += char((value >> 8) & 0xff);
}

void appendBe32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

// GIF image data for width x height pixels of colour 0: LZW with a minimum code size of 2
// (3-bit codes) and a clear code before every two pixels, so the code size never grows.
QByteArray gifImageData(int width, int height)
{
    QByteArray codes;
    quint32 bitBuffer = 0;
    int bitCount = 0;
    auto emitCode = [&](quint32 code) {
        bitBuffer |= code << bitCount;
        bitCount += 3;
        while (bitCount >= 8) {
            codes += char(bitBuffer & 0xff);
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };
    const qint64 pixels = qint64(width) * height;
    for (qint64 i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            emitCode(4); // clear
        emitCode(0);
    }
    emitCode(5); // end of information
    if (bitCount > 0)
        codes += char(bitBuffer & 0xff);

    QByteArray data;
    data += char(2); // minimum code size
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        data += char(block.size());
        data += block;
    }
    data += char(0);
    return data;
}

// A GIF comment extension of exactly `size` bytes (3, or 5 and more).
QByteArray gifComment(qsizetype size)
{
    QByteArray out("\x21\xfe", 2);
    qsizetype left = size - 3;
    while (left > 0) {
        qsizetype length = std::min<qsizetype>(255, left - 1);
        if (left - (length + 1) == 1)
            --length; // never leave a single byte, which cannot form a block
        out += char(length);
        out += QByteArray(length, 'q');
        left -= length + 1;
    }
    out += char(0);
    return out;
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data)
{
    QByteArray chunk;
    appendBe32(chunk, quint32(data.size()));
    chunk += type;
    chunk += data;
    appendBe32(chunk, crc32(type + data));
    return chunk;
}

} // namespace

QByteArray gifPicture(int width, int height, int byteSize)
{
    QByteArray head("GIF89a");
    appendLe16(head, width);
    appendLe16(head, height);
    head += char(0x80); // a global colour table of two colours
    head += char(0);
    head += char(0);
    head += QByteArray("\x33\x66\x99\xff\xff\xff", 6);

    QByteArray image(1, char(0x2c));
    appendLe16(image, 0);
    appendLe16(image, 0);
    appendLe16(image, width);
    appendLe16(image, height);
    image += char(0);
    image += gifImageData(width, height);
    const QByteArray trailer(1, char(0x3b));

    const qsizetype bare = head.size() + image.size() + trailer.size();
    // A comment takes 3 bytes, or 5 and more: a gap of 1, 2 or 4 bytes cannot be filled.
    const qsizetype gap = byteSize - bare;
    const QByteArray padding = gap == 3 || gap >= 5 ? gifComment(gap) : QByteArray();
    return head + padding + image + trailer;
}

QByteArray pngPicture(int width, int height, int byteSize)
{
    QByteArray header;
    appendBe32(header, quint32(width));
    appendBe32(header, quint32(height));
    header += char(8); // bit depth
    header += char(0); // greyscale
    header += QByteArray(3, '\0');

    // Each row: filter type 0, then one byte per pixel.
    const QByteArray raw(qsizetype(height) * (width + 1), '\0');
    const QByteArray zlibStream = qCompress(raw).mid(4); // qCompress puts the length first

    const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    const QByteArray start = signature + pngChunk("IHDR", header);
    const QByteArray rest = pngChunk("IDAT", zlibStream) + pngChunk("IEND", {});
    const qsizetype bare = start.size() + rest.size();
    const QByteArray keyword("Comment", 8); // with its terminating zero
    const qsizetype textLength = byteSize - bare - 12 - keyword.size();
    if (textLength < 0)
        return start + rest;
    return start + pngChunk("tEXt", keyword + QByteArray(textLength, 'q')) + rest;
}

QByteArray gzipped(const QByteArray& data)
{
    // qCompress's zlib stream without its length prefix, header and checksum, wrapped in
    // gzip's own header and trailer.
    const QByteArray zlib = qCompress(data, 9);
    QByteArray out("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    out += zlib.mid(4 + 2, zlib.size() - 4 - 2 - 4);
    for (const quint32 value : {crc32(data), quint32(data.size())}) {
        for (int shift = 0; shift < 32; shift += 8)
            out += char((value >> shift) & 0xff);
    }
    return out;
}
