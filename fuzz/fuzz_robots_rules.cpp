// robots.txt files and the paths asked of them.
#include "fuzz_input.h"

#include "links/robots_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The file, then after the first NUL the path asked.
    const qsizetype split = bytes.indexOf('\0');
    const QByteArrayView file = split < 0 ? bytes : bytes.first(split);
    const QByteArrayView path = split < 0 ? QByteArrayView("/") : bytes.sliced(split + 1);

    const RobotsRules rules = RobotsRules::parse(file);
    rules.allows(path);
    // The rules themselves can always be read, whatever the file says.
    require(rules.allows("/robots.txt"));
    return 0;
}
