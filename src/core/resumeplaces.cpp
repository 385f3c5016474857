#include "core/resumeplaces.h"

#include <QList>
#include <cmath>

namespace resumeplaces {

std::vector<ResumePlace> parse(const QByteArray& text)
{
    std::vector<ResumePlace> places;
    for (const QByteArray& entry : text.split(' ')) {
        const QList<QByteArray> fields = entry.split('|');
        bool number = false;
        const double position = fields.value(2).toDouble(&number);
        if (fields.size() == 3 && number && std::isfinite(position) && position >= 0)
            places.push_back({QByteArray::fromPercentEncoding(fields[0]), QByteArray::fromPercentEncoding(fields[1]),
                              position});
    }
    return places;
}

QByteArray format(const std::vector<ResumePlace>& places)
{
    QByteArray text;
    for (const ResumePlace& place : places) {
        const QByteArray entry = place.folder.toPercentEncoding() + '|' + place.file.toPercentEncoding() + '|' +
                                 QByteArray::number(place.position, 'f', 1);
        if (!text.isEmpty() && text.size() + 1 + entry.size() > kMaxBytes)
            break;
        text += (text.isEmpty() ? "" : " ") + entry;
    }
    return text;
}

} // namespace resumeplaces
