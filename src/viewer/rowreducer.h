#pragma once

#include <QImage>
#include <QSize>
#include <vector>

// Reduces a picture to a smaller size as its stored rows arrive, top to
// bottom: each shown pixel is the average of the stored pixels its area
// covers, as smooth scaling gives, and the whole picture is never held.
class RowReducer {
public:
    // Where a stored pixel keeps its colours: bytes a pixel, the offset of
    // each channel, and of alpha (-1: none; the picture is opaque).
    struct Pixels {
        int step;
        int red, green, blue;
        int alpha = -1;
    };

    // A null result for a target larger than the stored size, or empty.
    RowReducer(QSize stored, QSize target, Pixels pixels);

    // Bytes the reducer holds at its peak for those sizes (the shown
    // picture included).
    static qint64 peakBytes(QSize stored, QSize target, Pixels pixels);

    // The next stored row's pixels.
    void addRow(const uchar* row);
    // True once every stored row has come.
    bool isComplete() const { return stored_ == storedSize_.height(); }
    // RGB32, or premultiplied ARGB32 for pixels with alpha; null until
    // complete.
    QImage take();

private:
    // The stored pixels a shown pixel covers along one axis, with the
    // share of each (shares of one shown pixel add up to the ratio).
    struct Span {
        int first = 0;
        std::vector<float> shares;
        int last() const { return first + int(shares.size()) - 1; }
    };
    static std::vector<Span> spans(int stored, int shown);

    void accumulate(std::vector<float>& sums, const uchar* row, float share) const;
    void finishRow();

    QSize storedSize_;
    Pixels pixels_;
    QImage image_;
    std::vector<Span> columns_;
    std::vector<Span> rows_;
    float area_ = 1;
    // The stored rows of the shown row being built, summed byte by byte as
    // stored, and of the next one (a stored row on the border counts for both).
    std::vector<float> sums_;
    std::vector<float> nextSums_;
    int shown_ = 0;  // the shown row being built
    int stored_ = 0; // stored rows taken
};
