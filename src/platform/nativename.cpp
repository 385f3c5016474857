#include "platform/nativename.h"

#include <QFile>
#include <QStringDecoder>
#include <QUrl>

namespace nativename {

namespace {
bool decodesCleanly(QStringDecoder& decoder, const QByteArray& bytes, QString& out)
{
    if (!decoder.isValid())
        return false;
    out = decoder.decode(bytes);
    return !decoder.hasError();
}
bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString ignored;
    return decodesCleanly(utf8, bytes, ignored);
}

// The length of the valid UTF-8 sequence at bytes[i], or 0.
int utf8SequenceLength(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    const int length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                     : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80)
            return 0;
    }
    return isValidUtf8(bytes.mid(i, length)) ? length : 0; // overlong forms and surrogates
}

const QString kBytesPrefix = QStringLiteral("bytes:");

} // namespace

QString toStoredText(const QByteArray& bytes)
{
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    QByteArray escaped;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = bytes[i] == '%' ? 0 : utf8SequenceLength(bytes, i);
        if (length > 0) {
            escaped += bytes.mid(i, length);
            i += length;
        } else {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            escaped += '%' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
            ++i;
        }
    }
    return kBytesPrefix + QString::fromUtf8(escaped);
}

QByteArray fromStoredText(const QString& text)
{
    if (!text.startsWith(kBytesPrefix))
        return text.toUtf8();
    return QByteArray::fromPercentEncoding(text.mid(kBytesPrefix.size()).toUtf8());
}

QString toDisplay(const QByteArray& bytes)
{
    QString text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    if (decodesCleanly(utf8, bytes, text))
        return text;
    QStringDecoder shiftJis("Shift_JIS", QStringDecoder::Flag::Stateless);
    if (decodesCleanly(shiftJis, bytes, text))
        return text;
    return QString::fromUtf8(bytes);
}

QByteArray fromDisplay(const QString& text)
{
    return QFile::encodeName(text);
}

QString fileUrl(const QByteArray& path)
{
    return QStringLiteral("file://") + QString::fromLatin1(path.toPercentEncoding("/"));
}

QByteArray localPathOfUrl(const QUrl& url)
{
    const QString host = url.host();
    if (!url.isLocalFile() || !(host.isEmpty() || host == QStringLiteral("localhost")))
        return {};
    const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return path.contains('\0') ? QByteArray() : path;
}

} // namespace nativename
