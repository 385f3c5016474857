#include "platform/recentfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <mutex>

namespace recentfiles {
namespace {

const QString kBookmarkNs = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString kMimeNs = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");
const QString kApplication = QStringLiteral("duvaVazorUzevaz");

QString stamp(const QDateTime& when)
{
    return when.toUTC().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss.zzz000Z"));
}

void writeBookmark(QXmlStreamWriter& out, const QString& href, const QString& mimeType, const QString& added,
                   const QString& now, int count)
{
    out.writeStartElement(QStringLiteral("bookmark"));
    out.writeAttribute(QStringLiteral("href"), href);
    out.writeAttribute(QStringLiteral("added"), added);
    out.writeAttribute(QStringLiteral("modified"), now);
    out.writeAttribute(QStringLiteral("visited"), now);
    out.writeStartElement(QStringLiteral("info"));
    out.writeStartElement(QStringLiteral("metadata"));
    out.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    out.writeEmptyElement(kMimeNs, QStringLiteral("mime-type"));
    out.writeAttribute(QStringLiteral("type"), mimeType);
    out.writeStartElement(kBookmarkNs, QStringLiteral("applications"));
    out.writeEmptyElement(kBookmarkNs, QStringLiteral("application"));
    out.writeAttribute(QStringLiteral("name"), kApplication);
    out.writeAttribute(QStringLiteral("exec"), QStringLiteral("'duvavazoruzevaz %u'"));
    out.writeAttribute(QStringLiteral("modified"), now);
    out.writeAttribute(QStringLiteral("count"), QString::number(count));
    out.writeEndElement(); // applications
    out.writeEndElement(); // metadata
    out.writeEndElement(); // info
    out.writeEndElement(); // bookmark
}

// What an earlier entry of ours for the same file said: when it was added,
// and how often this program used it.
struct Earlier {
    QString added;
    int count = 0;
};

// Reads past the bookmark whose start the reader is at, noting our count.
Earlier skipBookmark(QXmlStreamReader& in)
{
    Earlier earlier{in.attributes().value(QStringLiteral("added")).toString(), 0};
    for (int depth = 1; depth > 0 && !in.atEnd();) {
        in.readNext();
        if (in.isStartElement()) {
            ++depth;
            if (in.name() == QLatin1String("application") &&
                in.attributes().value(QStringLiteral("name")) == kApplication)
                earlier.count = in.attributes().value(QStringLiteral("count")).toInt();
        } else if (in.isEndElement()) {
            --depth;
        }
    }
    return earlier;
}

} // namespace

QString listPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/recently-used.xbel");
}

bool add(const QByteArray& path, bool isFolder, const QDateTime& when)
{
    // One read-and-replace at a time within the program.
    static std::mutex oneAtATime;
    const std::lock_guard<std::mutex> hold(oneAtATime);
    const QString href = QString::fromLatin1(QUrl::fromLocalFile(QFile::decodeName(path)).toEncoded());
    const QString mimeType = isFolder ? QStringLiteral("inode/directory")
                                      : QMimeDatabase().mimeTypeForFile(QFile::decodeName(path),
                                                                         QMimeDatabase::MatchExtension).name();
    const QString now = stamp(when);

    QFile existing(listPath());
    const QByteArray old = existing.open(QIODevice::ReadOnly) ? existing.readAll() : QByteArray();
    QDir().mkpath(QFileInfo(listPath()).path());
    QSaveFile file(listPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QXmlStreamWriter out(&file);
    out.setAutoFormatting(true);
    out.writeNamespace(kBookmarkNs, QStringLiteral("bookmark"));
    out.writeNamespace(kMimeNs, QStringLiteral("mime"));
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("xbel"));
    out.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));

    // Every other entry is copied as it stands; ours goes last, as the newest.
    Earlier earlier{now, 0};
    QXmlStreamReader in(old);
    while (!in.atEnd() && in.readNext() != QXmlStreamReader::StartElement) {
    }
    if (in.name() == QLatin1String("xbel")) {
        while (!in.atEnd()) {
            in.readNext();
            if (in.isStartElement() && in.name() == QLatin1String("bookmark") &&
                in.attributes().value(QStringLiteral("href")) == href) {
                earlier = skipBookmark(in);
            } else if (in.isEndElement() && in.name() == QLatin1String("xbel")) {
                break;
            } else if (!in.hasError() && !in.isWhitespace() && !in.isStartDocument() && !in.isEndDocument()) {
                out.writeCurrentToken(in);
            }
        }
    }
    if (!old.isEmpty() && in.hasError()) {
        file.cancelWriting(); // a list we cannot read is left as it is
        return false;
    }
    writeBookmark(out, href, mimeType, earlier.added.isEmpty() ? now : earlier.added, now, earlier.count + 1);
    out.writeEndElement(); // xbel
    out.writeEndDocument();
    return !out.hasError() && file.commit();
}

} // namespace recentfiles
