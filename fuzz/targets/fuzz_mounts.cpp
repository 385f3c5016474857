// The mount table: any text gives volumes with absolute mount paths.
#include "fuzzsupport.h"
#include "desktop/mounttable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const MountEntry& volume : mounttable::parse(fuzzsupport::bytes(data, size)))
        fuzzsupport::require(volume.mountPath.startsWith(u'/'), "mount paths are absolute");
    return 0;
}
