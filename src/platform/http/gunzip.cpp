#include "platform/http/gunzip.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

bool looksGzipped(QByteArrayView bytes)
{
    return bytes.size() >= 2 && uchar(bytes.at(0)) == 0x1f && uchar(bytes.at(1)) == 0x8b;
}

std::optional<Gunzipped> gunzip(QByteArrayView packed, qsizetype maxBytes)
{
    if (!looksGzipped(packed) || packed.size() > std::numeric_limits<uInt>::max())
        return std::nullopt;
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = uInt(packed.size());

    Gunzipped result;
    constexpr qsizetype chunk = 64 * 1024;
    int status = Z_OK;
    while (status == Z_OK) {
        if (result.bytes.size() >= maxBytes) {
            result.cut = true;
            break;
        }
        const qsizetype room = std::min(chunk, maxBytes - result.bytes.size());
        const qsizetype before = result.bytes.size();
        result.bytes.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef*>(result.bytes.data() + before);
        stream.avail_out = uInt(room);
        status = inflate(&stream, Z_NO_FLUSH);
        result.bytes.resize(before + room - qsizetype(stream.avail_out));
    }
    inflateEnd(&stream);
    // A stream that breaks or stops before its end gives what it had.
    if (status != Z_OK && status != Z_STREAM_END) {
        if (result.bytes.isEmpty())
            return std::nullopt;
        result.cut = true;
    }
    return result;
}
