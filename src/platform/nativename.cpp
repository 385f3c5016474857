#include "platform/nativename.h"

#include <QFile>
#include <QStringDecoder>

namespace nativename {

namespace {
bool decodesCleanly(QStringDecoder& decoder, const QByteArray& bytes, QString& out)
{
    if (!decoder.isValid())
        return false;
    out = decoder.decode(bytes);
    return !decoder.hasError();
}
} // namespace

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

} // namespace nativename
