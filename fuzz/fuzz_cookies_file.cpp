// Netscape cookies.txt files, as a user hands them over.
#include "fuzz_input.h"

#include "platform/http/cookies_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const CookiesFile file = readCookiesText(text, 1'700'000'000);
    // Every line is kept, skipped as expired or skipped as malformed, at most once.
    require(file.cookies.size() + file.expired + file.malformed <= text.count('\n') + text.count('\r') + 1);
    for (const QByteArray& cookie : file.cookies)
        require(!cookie.contains('\n') && !cookie.contains('\r'));
    return 0;
}
