#include "desktop/recentfiles.h"

#include "platform/nativename.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace recentfiles {
namespace {

const QString kBookmarkNs = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString kMimeNs = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");
const QString kApplication = QStringLiteral("duvaVazorUzevaz");

QString stamp(const QDateTime& when)
{
    return when.toUTC().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss.zzz000Z"));
}

void writeApplication(QXmlStreamWriter& out, const QString& now, int count)
{
    out.writeEmptyElement(kBookmarkNs, QStringLiteral("application"));
    out.writeAttribute(QStringLiteral("name"), kApplication);
    out.writeAttribute(QStringLiteral("exec"), QStringLiteral("'duvavazoruzevaz %u'"));
    out.writeAttribute(QStringLiteral("modified"), now);
    out.writeAttribute(QStringLiteral("count"), QString::number(count));
}

// A new bookmark, used now for the first time.
void writeBookmark(QXmlStreamWriter& out, const QString& href, const QString& mimeType, const QString& now)
{
    out.writeStartElement(QStringLiteral("bookmark"));
    out.writeAttribute(QStringLiteral("href"), href);
    out.writeAttribute(QStringLiteral("added"), now);
    out.writeAttribute(QStringLiteral("modified"), now);
    out.writeAttribute(QStringLiteral("visited"), now);
    out.writeStartElement(QStringLiteral("info"));
    out.writeStartElement(QStringLiteral("metadata"));
    out.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    out.writeEmptyElement(kMimeNs, QStringLiteral("mime-type"));
    out.writeAttribute(QStringLiteral("type"), mimeType);
    out.writeStartElement(kBookmarkNs, QStringLiteral("applications"));
    writeApplication(out, now, 1);
    out.writeEndElement(); // applications
    out.writeEndElement(); // metadata
    out.writeEndElement(); // info
    out.writeEndElement(); // bookmark
}

bool names(const QXmlStreamReader& in, const QString& namespaceUri, const char* name)
{
    return in.namespaceUri() == namespaceUri && in.name() == QLatin1String(name);
}

// Whether the bookmark the reader is at names the file: other programs
// escape other characters, so the bytes are compared.
bool namesFile(const QXmlStreamReader& in, const QByteArray& path)
{
    const QByteArray href = in.attributes().value(QStringLiteral("href")).toLatin1();
    return href.startsWith("file://") && QByteArray::fromPercentEncoding(href.mid(7)) == path;
}

// Copies the bookmark the reader is at, used again now: its times moved on,
// this program's use counted (added where the bookmark has none), every
// other program's entry kept.
void copyUsedAgain(QXmlStreamReader& in, QXmlStreamWriter& out, const QString& now)
{
    out.writeStartElement(QStringLiteral("bookmark"));
    for (const QXmlStreamNamespaceDeclaration& declaration : in.namespaceDeclarations())
        out.writeNamespace(declaration.namespaceUri().toString(), declaration.prefix().toString());
    for (const QXmlStreamAttribute& attribute : in.attributes()) {
        const bool time = attribute.name() == QLatin1String("modified") || attribute.name() == QLatin1String("visited");
        time ? out.writeAttribute(attribute.qualifiedName().toString(), now) : out.writeAttribute(attribute);
    }
    bool counted = false;
    for (int depth = 1; depth > 0 && !in.atEnd();) {
        in.readNext();
        if (in.isStartElement() && names(in, kBookmarkNs, "application") &&
            in.attributes().value(QStringLiteral("name")) == kApplication) {
            writeApplication(out, now, in.attributes().value(QStringLiteral("count")).toInt() + 1);
            in.skipCurrentElement();
            counted = true;
            continue;
        }
        if (in.isEndElement() && names(in, kBookmarkNs, "applications") && !counted) {
            writeApplication(out, now, 1);
            counted = true;
        }
        depth += in.isStartElement() ? 1 : in.isEndElement() ? -1 : 0;
        if (!in.hasError() && !in.isWhitespace())
            out.writeCurrentToken(in);
    }
}

// The list's bytes; empty when there is no list yet; nothing when it must
// be left alone: not a regular file (a pipe would hold the read for ever),
// larger than any list, or a link to nothing (never created through it).
std::optional<QByteArray> readList(const QString& path)
{
    constexpr qint64 kMaxListBytes = 64 * 1024 * 1024;
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxListBytes ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    return file.read(qint64(st.st_size)); // what fstat counted: read(max) would reserve max
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
    const QString href = nativename::fileUrl(path);
    const QString mimeType = isFolder ? QStringLiteral("inode/directory")
                                      : QMimeDatabase().mimeTypeForFile(QFile::decodeName(path),
                                                                         QMimeDatabase::MatchExtension).name();
    const QString now = stamp(when);

    const std::optional<QByteArray> old = readList(listPath());
    if (!old)
        return false;
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

    // Everything inside the list's root is copied as it stands, the file's
    // own bookmark used again; a new one goes last, as the newest. A list
    // that is not one, or cannot be read, is left as it is.
    bool found = false;
    if (!old->isEmpty()) {
        QXmlStreamReader in(*old);
        while (!in.atEnd() && in.readNext() != QXmlStreamReader::StartElement) {
        }
        if (!names(in, QString(), "xbel")) {
            file.cancelWriting();
            return false;
        }
        for (int depth = 1; depth > 0 && !in.atEnd();) {
            in.readNext();
            if (depth == 1 && in.isStartElement() && names(in, QString(), "bookmark") && namesFile(in, path)) {
                copyUsedAgain(in, out, now);
                found = true;
                continue;
            }
            depth += in.isStartElement() ? 1 : in.isEndElement() ? -1 : 0;
            if (depth > 0 && !in.hasError() && !in.isWhitespace())
                out.writeCurrentToken(in);
        }
        if (in.hasError()) {
            file.cancelWriting();
            return false;
        }
    }
    if (!found)
        writeBookmark(out, href, mimeType, now);
    out.writeEndElement(); // xbel
    out.writeEndDocument();
    return !out.hasError() && file.commit();
}

} // namespace recentfiles
