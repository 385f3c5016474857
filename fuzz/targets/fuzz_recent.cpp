// The recently-used list: added to, it stays well-formed and keeps every
// entry it held; a list it refuses is left byte for byte.
#include "fuzzsupport.h"
#include "desktop/recentfiles.h"

#include <QXmlStreamReader>

namespace {

// The hrefs of the root's children, or nothing when the list is not one.
std::optional<QStringList> topLevelHrefs(const QByteArray& list)
{
    QXmlStreamReader in(list);
    QStringList hrefs;
    for (int depth = 0; !in.atEnd();) {
        in.readNext();
        if (in.isStartElement()) {
            if (++depth == 1 && (in.name() != QLatin1String("xbel") || !in.namespaceUri().isEmpty()))
                return std::nullopt;
            if (depth == 2 && in.name() == QLatin1String("bookmark"))
                hrefs << in.attributes().value(QStringLiteral("href")).toString();
        } else if (in.isEndElement()) {
            --depth;
        }
    }
    if (in.hasError())
        return std::nullopt;
    return hrefs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = qputenv("XDG_DATA_HOME", QFile::encodeName(fuzzsupport::scratchFolder()));
    (void)ready;
    const QByteArray before = fuzzsupport::bytes(data, size);
    fuzzsupport::writeFile(recentfiles::listPath(), before);
    const bool added = recentfiles::add("/media/a b/\xff.mpg", false, QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    const QByteArray after = fuzzsupport::readFile(recentfiles::listPath());
    if (!added) {
        fuzzsupport::require(after == before, "a refused list is left as it was");
        return 0;
    }
    const std::optional<QStringList> kept = topLevelHrefs(after);
    fuzzsupport::require(kept.has_value(), "the list written is well-formed");
    const std::optional<QStringList> held = topLevelHrefs(before);
    if (held) {
        for (const QString& href : *held)
            fuzzsupport::require(href.isEmpty() || kept->contains(href), "every entry is kept");
    }
    return 0;
}
