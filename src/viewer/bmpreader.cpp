#include "viewer/bmpreader.h"

#include "viewer/rowreducer.h"

#include <QtEndian>
#include <cmath>
#include <vector>

namespace bmpreader {
namespace {

struct Layout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    qsizetype stride = 0;
    qint64 offset = 0; // of the first stored row in the file
    std::vector<QRgb> palette;
};

quint32 u32(QByteArrayView file, qsizetype at)
{
    return qFromLittleEndian<quint32>(file.data() + at);
}

qint32 i32(QByteArrayView file, qsizetype at)
{
    return qFromLittleEndian<qint32>(file.data() + at);
}

quint16 u16(QByteArrayView file, qsizetype at)
{
    return qFromLittleEndian<quint16>(file.data() + at);
}

// 32-bit pixels with explicit masks are read here only when the masks are
// the usual ones and there is no alpha.
bool plainMasks(QByteArrayView file, qsizetype at, quint32 headerSize)
{
    const bool hasAlphaMask = headerSize >= 56;
    if (file.size() < at + (hasAlphaMask ? 16 : 12))
        return false;
    const bool alpha = hasAlphaMask && u32(file, at + 12) != 0;
    return u32(file, at) == 0xff0000 && u32(file, at + 4) == 0xff00 && u32(file, at + 8) == 0xff && !alpha;
}

// The layout from the file's first bytes, up to its pixels (fileSize: the
// whole file's).
std::optional<Layout> layoutOf(QByteArrayView file, qint64 fileSize)
{
    constexpr quint32 kRgb = 0;
    constexpr quint32 kBitFields = 3;
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M')
        return std::nullopt;
    const quint32 headerSize = u32(file, 14);
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        return std::nullopt;
    Layout layout;
    layout.width = i32(file, 18);
    const qint32 height = i32(file, 22);
    layout.topDown = height < 0;
    layout.height = height == std::numeric_limits<qint32>::min() ? 0 : std::abs(height);
    layout.bits = u16(file, 28);
    const quint32 compression = u32(file, 30);
    if (layout.width <= 0 || layout.height <= 0 || u16(file, 26) != 1)
        return std::nullopt;
    const bool supported = (compression == kRgb && (layout.bits == 8 || layout.bits == 24 || layout.bits == 32)) ||
                           (compression == kBitFields && layout.bits == 32 && plainMasks(file, 54, headerSize));
    if (!supported)
        return std::nullopt;
    layout.stride = (qsizetype(layout.width) * layout.bits + 31) / 32 * 4;
    const quint32 offset = u32(file, 10);
    if (offset > quint64(fileSize) || quint64(fileSize) - offset < quint64(layout.stride) * layout.height)
        return std::nullopt;
    layout.offset = offset;
    if (layout.bits == 8) {
        const quint32 used = u32(file, 46);
        const quint32 colours = used == 0 ? 256 : std::min<quint32>(used, 256);
        const qsizetype at = 14 + headerSize;
        if (at + 4 * qsizetype(colours) > std::min<qint64>(offset, file.size()))
            return std::nullopt;
        for (quint32 i = 0; i < colours; ++i)
            layout.palette.push_back(qRgb(uchar(file[at + 4 * i + 2]), uchar(file[at + 4 * i + 1]), uchar(file[at + 4 * i])));
        layout.palette.resize(256, qRgb(0, 0, 0));
    }
    return layout;
}

// The stored rows, read from the file a block of rows at a time in the
// order they are asked for (top to bottom as shown, which is backwards
// through a bottom-up file). Rows come as blue, green, red bytes (and a
// fourth, unused, for 32-bit pixels): as stored, or palette colours
// written out.
class RowSource {
public:
    RowSource(QIODevice& file, const Layout& layout)
        : file_(file), layout_(layout), rowsPerBlock_(int(std::clamp<qsizetype>(kBlockBytes / layout.stride, 1, layout.height))),
          block_(layout.stride * rowsPerBlock_), expanded_(layout.bits == 8 ? 3 * qsizetype(layout.width) : 0)
    {
    }

    // Null when the file could not be read (cut short meanwhile, say).
    const uchar* row(int shownRow)
    {
        const int fileRow = layout_.topDown ? shownRow : layout_.height - 1 - shownRow;
        if (fileRow < first_ || fileRow >= first_ + rowsPerBlock_) {
            const int first = layout_.topDown ? fileRow : std::max(0, fileRow - rowsPerBlock_ + 1);
            const int count = std::min(rowsPerBlock_, layout_.height - first);
            const qint64 bytes = layout_.stride * count;
            if (!file_.seek(layout_.offset + layout_.stride * first) ||
                file_.read(reinterpret_cast<char*>(block_.data()), bytes) != bytes)
                return nullptr;
            first_ = first;
        }
        const uchar* stored = block_.data() + layout_.stride * (fileRow - first_);
        return layout_.bits == 8 ? expand(stored) : stored;
    }

    static constexpr qsizetype kBlockBytes = 1024 * 1024;

private:
    const uchar* expand(const uchar* stored)
    {
        uchar* out = expanded_.data();
        for (int x = 0; x < layout_.width; ++x) {
            const QRgb colour = layout_.palette[stored[x]];
            *out++ = uchar(qBlue(colour));
            *out++ = uchar(qGreen(colour));
            *out++ = uchar(qRed(colour));
        }
        return expanded_.data();
    }

    QIODevice& file_;
    const Layout& layout_;
    int rowsPerBlock_;
    std::vector<uchar> block_;
    std::vector<uchar> expanded_;
    int first_ = std::numeric_limits<int>::min() / 2;
};

// Rows come as blue, green, red bytes, and a fourth, unused, for 32-bit pixels.
RowReducer::Pixels pixelsOf(const Layout& layout)
{
    return {layout.bits == 32 ? 4 : 3, 2, 1, 0};
}

// The file's bytes up to its pixels (the headers and the palette).
QByteArray headerOf(QIODevice& file)
{
    constexpr qint64 kMaxHeader = 64 * 1024;
    if (!file.seek(0))
        return {};
    QByteArray head = file.read(54);
    if (head.size() < 54)
        return {};
    const qint64 offset = qFromLittleEndian<quint32>(head.constData() + 10);
    if (offset > 54 && offset <= kMaxHeader)
        head += file.read(offset - 54);
    return head;
}

// What reading takes at its peak: the reducer, the block of rows read at
// once and a palette row written out.
qint64 peakBytes(const Layout& layout, QSize target)
{
    const qint64 block =
        layout.stride * std::clamp<qint64>(RowSource::kBlockBytes / layout.stride, 1, layout.height);
    return RowReducer::peakBytes(QSize(layout.width, layout.height), target, pixelsOf(layout)) + block +
           (layout.bits == 8 ? 3 * qint64(layout.width) : 0);
}

} // namespace

QImage decodeReduced(QIODevice& file, QSize target, qint64 maxBytes)
{
    const std::optional<Layout> layout = layoutOf(headerOf(file), file.size());
    if (!layout || target.isEmpty() || target.width() > layout->width || target.height() > layout->height ||
        peakBytes(*layout, target) > maxBytes)
        return {};
    RowReducer reducer(QSize(layout->width, layout->height), target, pixelsOf(*layout));
    RowSource source(file, *layout);
    for (int row = 0; row < layout->height; ++row) {
        const uchar* bytes = source.row(row);
        if (!bytes)
            return {};
        reducer.addRow(bytes);
    }
    return reducer.take();
}

} // namespace bmpreader
