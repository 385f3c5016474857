#include "viewer/pngreader.h"

#include "platform/librarysymbol.h"
#include "viewer/rowreducer.h"

#include <memory>
#include <spng.h>
#include <vector>

namespace pngreader {
namespace {

// Chunks other than the pixels (text, colour profiles) are kept within these.
constexpr size_t kMaxChunkBytes = 16 * 1024 * 1024;
constexpr size_t kMaxChunkCacheBytes = 64 * 1024 * 1024;

// libspng, loaded when the first PNG picture is read.
struct Spng {
    decltype(&spng_ctx_new) ctx_new;
    decltype(&spng_ctx_free) ctx_free;
    decltype(&spng_set_png_stream) set_png_stream;
    decltype(&spng_set_chunk_limits) set_chunk_limits;
    decltype(&spng_get_ihdr) get_ihdr;
    decltype(&spng_get_trns) get_trns;
    decltype(&spng_decoded_image_size) decoded_image_size;
    decltype(&spng_decode_image) decode_image;
    decltype(&spng_decode_row) decode_row;
};

bool load(Spng& spng)
{
    static QLibrary library(QStringLiteral("spng"), 0);
    return library.load() && resolveSymbol(library, "spng_ctx_new", spng.ctx_new) &&
           resolveSymbol(library, "spng_ctx_free", spng.ctx_free) &&
           resolveSymbol(library, "spng_set_png_stream", spng.set_png_stream) &&
           resolveSymbol(library, "spng_set_chunk_limits", spng.set_chunk_limits) &&
           resolveSymbol(library, "spng_get_ihdr", spng.get_ihdr) &&
           resolveSymbol(library, "spng_get_trns", spng.get_trns) &&
           resolveSymbol(library, "spng_decoded_image_size", spng.decoded_image_size) &&
           resolveSymbol(library, "spng_decode_image", spng.decode_image) &&
           resolveSymbol(library, "spng_decode_row", spng.decode_row);
}

int readFromDevice(spng_ctx*, void* device, void* destination, size_t length)
{
    auto* file = static_cast<QIODevice*>(device);
    const qint64 read = file->read(static_cast<char*>(destination), qint64(length));
    return read == qint64(length) ? 0 : read < 0 ? SPNG_IO_ERROR : SPNG_IO_EOF;
}

using Context = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

bool hasTransparency(const Spng& spng, spng_ctx* png, const spng_ihdr& header)
{
    spng_trns trns;
    return header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
           header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || spng.get_trns(png, &trns) == 0;
}

} // namespace

QImage decodeReduced(QIODevice& file, QSize target, qint64 maxBytes)
{
    const Spng* spng = loadOnce(load);
    if (!spng)
        return {};
    Context png(spng->ctx_new(0), spng->ctx_free);
    spng_ihdr header;
    if (!png || !file.seek(0) || spng->set_png_stream(png.get(), &readFromDevice, &file) != 0 ||
        spng->set_chunk_limits(png.get(), kMaxChunkBytes, kMaxChunkCacheBytes) != 0 ||
        spng->get_ihdr(png.get(), &header) != 0 || header.interlace_method != SPNG_INTERLACE_NONE)
        return {};
    const QSize stored(int(header.width), int(header.height));
    if (!stored.isValid() || target.isEmpty() || target.width() > stored.width() || target.height() > stored.height())
        return {};
    // Opaque 8-bit colour is decoded as it is stored; everything else as
    // 8-bit RGBA (palette, grey and 16-bit pictures written out).
    const bool alpha = hasTransparency(*spng, png.get(), header);
    const bool plain = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR && header.bit_depth == 8 && !alpha;
    const int format = plain ? SPNG_FMT_RGB8 : SPNG_FMT_RGBA8;
    const RowReducer::Pixels pixels{plain ? 3 : 4, 0, 1, 2, alpha ? 3 : -1};
    size_t imageBytes = 0;
    if (spng->decoded_image_size(png.get(), format, &imageBytes) != 0)
        return {};
    const size_t rowBytes = imageBytes / header.height;
    // libspng holds two stored rows of up to 8 bytes a pixel besides ours.
    const qint64 peak = RowReducer::peakBytes(stored, target, pixels) + qint64(rowBytes) + 16 * qint64(header.width);
    if (peak > maxBytes)
        return {};
    if (spng->decode_image(png.get(), nullptr, 0, format, SPNG_DECODE_PROGRESSIVE | (alpha ? SPNG_DECODE_TRNS : 0)) != 0)
        return {};
    RowReducer reducer(stored, target, pixels);
    std::vector<uchar> row(rowBytes);
    int status = 0;
    while (status == 0) {
        status = spng->decode_row(png.get(), row.data(), row.size());
        if (status == 0 || status == SPNG_EOI)
            reducer.addRow(row.data());
    }
    return status == SPNG_EOI ? reducer.take() : QImage();
}

} // namespace pngreader
