// Sitemaps, packed or not.
#include "fuzz_input.h"

#include "links/sitemap_reader.h"
#include "platform/http/gunzip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    constexpr qsizetype unpackLimit = 1 << 20;
    QByteArray xml = bytes.toByteArray();
    if (looksGzipped(bytes)) {
        const std::optional<Gunzipped> unpacked = gunzip(bytes, unpackLimit);
        if (!unpacked)
            return 0;
        require(unpacked->bytes.size() <= unpackLimit);
        xml = unpacked->bytes;
    }
    const SitemapContents contents = readSitemap(xml);
    require(contents.addresses.size() <= SitemapContents::kMaxAddresses);
    require(contents.kind != SitemapContents::Kind::NotSitemap || contents.addresses.isEmpty());
    for (const QString& address : contents.addresses)
        require(!address.isEmpty() && address == address.trimmed());
    return 0;
}
