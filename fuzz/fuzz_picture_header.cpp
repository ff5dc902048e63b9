// Picture dimensions from the first bytes of a body.
#include "fuzz_input.h"

#include "formats/picture_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const PictureHeader part = readPictureHeader(bytes, false);
    const PictureHeader whole = readPictureHeader(bytes, true);
    using Verdict = PictureHeader::Verdict;
    for (const PictureHeader& header : {part, whole}) {
        if (header.verdict == Verdict::Known)
            require(header.width > 0 && header.height > 0
                    && qint64(header.width) * header.height <= kPictureMaxPixels && header.bytesWanted == 0);
        else
            require(header.width == 0 && header.height == 0);
    }
    // Only a prefix asks for more, never for what it holds or past the bound.
    require(whole.verdict != Verdict::NeedMore);
    if (part.verdict == Verdict::NeedMore)
        require(part.bytesWanted == 0
                || (part.bytesWanted > qint64(size) && part.bytesWanted <= kPictureHeaderMaxBytes));
    // What a prefix told, the same bytes as a whole body tell too.
    if (part.verdict == Verdict::Known)
        require(whole.verdict == Verdict::Known && whole.width == part.width && whole.height == part.height);
    return 0;
}
