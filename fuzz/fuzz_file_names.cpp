// File names and types of any address or path.
#include "fuzz_input.h"

#include "text/file_names.h"
#include "text/picture_types.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString address = fuzzArguments(data, size, 1).at(0);

    const QString type = getFileType(address);
    require(type.size() <= 6 && !type.contains(u'.'));
    require(!type.startsWith(u' ') && !type.endsWith(u' '));
    if (isPictureType(type))
        require(type.size() >= 3 && type.size() <= 4);

    const QString name = getFileName(address, false);
    const QString bareName = getFileName(address, true);
    require(name.size() <= address.size() && bareName.size() <= name.size());
    require(!name.contains(u'/') && !name.contains(u'\\'));
    return 0;
}
