// The PNG reader: any bytes, any target size; a picture comes out at
// exactly the target size, or none, within the memory bound.
#include "fuzzsupport.h"
#include "viewer/pngreader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const QSize target(1 + data[0] % 64, 1 + data[1] % 64);
    QByteArray file = fuzzsupport::bytes(data + 2, size - 2);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    const QImage picture = pngreader::decodeReduced(buffer, target, 64 * 1024 * 1024);
    fuzzsupport::require(picture.isNull() || picture.size() == target, "the picture has the target size");
    return 0;
}
