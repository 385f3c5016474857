#include "viewer/webpreader.h"

#include "platform/librarysymbol.h"

#include <QFile>
#include <webp/decode.h>

namespace webpreader {
namespace {

// libwebp, loaded when the first WebP picture is read. The header's inline
// set-up functions stand for these, with the header's version.
struct WebP {
    decltype(&WebPInitDecoderConfigInternal) initDecoderConfig;
    decltype(&WebPGetFeaturesInternal) getFeatures;
    decltype(&WebPDecode) decode;
    decltype(&WebPFreeDecBuffer) freeDecBuffer;
};

bool load(WebP& webp)
{
    static QLibrary library(QStringLiteral("webp"), 7);
    return library.load() && resolveSymbol(library, "WebPInitDecoderConfigInternal", webp.initDecoderConfig) &&
           resolveSymbol(library, "WebPGetFeaturesInternal", webp.getFeatures) &&
           resolveSymbol(library, "WebPDecode", webp.decode) &&
           resolveSymbol(library, "WebPFreeDecBuffer", webp.freeDecBuffer);
}

// Qt's 32-bit formats hold a pixel as one native-endian word.
WEBP_CSP_MODE modeFor(bool alpha)
{
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
        return alpha ? MODE_bgrA : MODE_BGRA;
    else
        return alpha ? MODE_Argb : MODE_ARGB;
}

QImage decodeBytes(const uint8_t* data, size_t size, QSize target)
{
    const WebP* webp = loadOnce(load);
    WebPDecoderConfig config;
    if (!webp || !webp->initDecoderConfig(&config, WEBP_DECODER_ABI_VERSION) ||
        webp->getFeatures(data, size, &config.input, WEBP_DECODER_ABI_VERSION) != VP8_STATUS_OK ||
        config.input.has_animation)
        return {};
    const bool alpha = config.input.has_alpha;
    QImage image(target, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    config.options.use_scaling = 1;
    config.options.scaled_width = target.width();
    config.options.scaled_height = target.height();
    config.output.colorspace = modeFor(alpha);
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = int(image.bytesPerLine());
    config.output.u.RGBA.size = size_t(image.sizeInBytes());
    const bool decoded = webp->decode(data, size, &config) == VP8_STATUS_OK;
    webp->freeDecBuffer(&config.output);
    return decoded ? image : QImage();
}

} // namespace

QImage decodeScaled(QFile& file, QSize target)
{
    const qint64 size = file.size();
    uchar* mapped = target.isEmpty() || size <= 0 ? nullptr : file.map(0, size);
    if (!mapped)
        return {};
    QImage image = decodeBytes(mapped, size_t(size), target);
    file.unmap(mapped);
    return image;
}

} // namespace webpreader
