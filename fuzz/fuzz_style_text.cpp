// url(...) references in style text and markup.
#include "fuzz_input.h"

#include "css/css_urls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList args = fuzzArguments(data, size, 2);
    const QString& text = args.at(0);
    const QString& base = args.at(1);

    CandidateList candidates;
    scanCssUrls(text, base, candidates, QStringLiteral("t"), QStringLiteral("s"));
    // At most one reference per "url(", none from a text without one.
    require(candidates.size() <= text.size() / 4);
    require(candidates.sizes.size() == candidates.size() && candidates.titles.size() == candidates.size()
            && candidates.sources.size() == candidates.size());
    for (qsizetype i = 0; i < candidates.size(); ++i)
        require(candidates.sizes.at(i).isEmpty() && candidates.titles.at(i) == u"t");
    return 0;
}
