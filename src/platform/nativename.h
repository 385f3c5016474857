#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

// File names on Linux are bytes. The program keeps the bytes to reach the
// file and decodes them only for display.
namespace nativename {

// UTF-8 when the bytes are valid UTF-8, else Shift-JIS (old Japanese
// archives) when they decode cleanly, else UTF-8 with replacement marks.
QString toDisplay(const QByteArray& bytes);

QByteArray fromDisplay(const QString& text);

// How a path is kept in the settings file: valid UTF-8 as it stands;
// otherwise "bytes:" and the path with each byte that is not part of valid
// UTF-8, and each "%", written as %XX. Paths start with "/", so the two
// forms never meet.
QString toStoredText(const QByteArray& bytes);
// The bytes back from either form.
QByteArray fromStoredText(const QString& text);

// A file:// URL of the path with every byte outside the unreserved set
// percent-encoded, so names that are not UTF-8 keep their bytes.
QString fileUrl(const QByteArray& path);

// The exact bytes of the local path a file:// URL names; empty for any
// other URL, one that names another host, or a path holding a NUL byte.
QByteArray localPathOfUrl(const QUrl& url);

} // namespace nativename
