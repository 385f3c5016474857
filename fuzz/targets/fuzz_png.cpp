// The PNG reader: any bytes, any target size, within the memory bound.
#include "fuzzsupport.h"
#include "viewer/pngreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::checkPictureReader(data, size, [](QIODevice& file, QSize target) {
        return pngreader::decodeReduced(file, target, 64 * 1024 * 1024);
    });
    return 0;
}
