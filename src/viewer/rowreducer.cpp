#include "viewer/rowreducer.h"

#include <algorithm>

RowReducer::RowReducer(QSize stored, QSize target, Pixels pixels)
    : storedSize_(stored), pixels_(pixels)
{
    if (target.isEmpty() || target.width() > stored.width() || target.height() > stored.height())
        return;
    image_ = QImage(target, pixels.alpha < 0 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (image_.isNull())
        return;
    columns_ = spans(stored.width(), target.width());
    rows_ = spans(stored.height(), target.height());
    area_ = float(double(stored.width()) / target.width() * stored.height() / target.height());
    sums_.assign(pixels.step * qsizetype(stored.width()), 0.f);
    nextSums_ = sums_;
}

qint64 RowReducer::peakBytes(QSize stored, QSize target, Pixels pixels)
{
    // In 64 bits throughout: the sides may each be near the largest int.
    const qint64 targetSides = qint64(target.width()) + target.height();
    const qint64 allSides = targetSides + stored.width() + stored.height();
    const qint64 spans = qint64(sizeof(Span)) * targetSides + qint64(sizeof(float)) * allSides;
    return 4 * qint64(target.width()) * target.height() + 2 * qint64(sizeof(float)) * pixels.step * stored.width() + spans;
}

std::vector<RowReducer::Span> RowReducer::spans(int stored, int shown)
{
    const double ratio = double(stored) / shown;
    std::vector<Span> result(shown);
    for (int i = 0; i < shown; ++i) {
        const double from = i * ratio;
        const double to = std::min<double>(stored, (i + 1) * ratio);
        Span& span = result[i];
        span.first = int(from);
        for (int s = span.first; s < to; ++s)
            span.shares.push_back(float(std::min<double>(s + 1, to) - std::max<double>(s, from)));
    }
    return result;
}

void RowReducer::accumulate(std::vector<float>& sums, const uchar* row, float share) const
{
    const Pixels& p = pixels_;
    float* sum = sums.data();
    if (p.alpha < 0) {
        // The stored bytes as they are: a plain loop the compiler vectorises.
        for (size_t i = 0; i < sums.size(); ++i)
            sum[i] += share * row[i];
        return;
    }
    // Colours count by their opacity (premultiplied), as smooth scaling does.
    for (size_t i = 0; i < sums.size(); i += p.step) {
        const float weight = share * row[i + p.alpha];
        sum[i + p.red] += weight * row[i + p.red];
        sum[i + p.green] += weight * row[i + p.green];
        sum[i + p.blue] += weight * row[i + p.blue];
        sum[i + p.alpha] += weight;
    }
}

void RowReducer::addRow(const uchar* row)
{
    if (image_.isNull() || isComplete())
        return;
    const int stored = stored_++;
    const Span& span = rows_[shown_];
    accumulate(sums_, row, span.shares[stored - span.first]);
    const bool border = stored == span.last() && shown_ + 1 < int(rows_.size()) && rows_[shown_ + 1].first == stored;
    if (border)
        accumulate(nextSums_, row, rows_[shown_ + 1].shares[0]);
    if (stored == span.last())
        finishRow();
}

// The shown row is complete: across, once for it.
void RowReducer::finishRow()
{
    const Pixels& p = pixels_;
    QRgb* line = reinterpret_cast<QRgb*>(image_.scanLine(shown_));
    const auto channel = [](float value) { return std::clamp(int(value + 0.5f), 0, 255); };
    for (int x = 0; x < image_.width(); ++x) {
        float red = 0, green = 0, blue = 0, alpha = 0;
        const float* sum = sums_.data() + qsizetype(columns_[x].first) * p.step;
        for (const float share : columns_[x].shares) {
            red += share * sum[p.red];
            green += share * sum[p.green];
            blue += share * sum[p.blue];
            if (p.alpha >= 0)
                alpha += share * sum[p.alpha];
            sum += p.step;
        }
        if (p.alpha < 0) {
            line[x] = qRgb(channel(red / area_), channel(green / area_), channel(blue / area_));
        } else {
            const float scale = 1.f / (255.f * area_);
            line[x] = qRgba(channel(red * scale), channel(green * scale), channel(blue * scale), channel(alpha / area_));
        }
    }
    sums_.swap(nextSums_);
    std::fill(nextSums_.begin(), nextSums_.end(), 0.f);
    ++shown_;
}

QImage RowReducer::take()
{
    return isComplete() ? std::move(image_) : QImage();
}
