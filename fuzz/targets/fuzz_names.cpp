// Name encoding: any bytes survive the settings file's text and a file URL.
#include "fuzzsupport.h"
#include "platform/nativename.h"

#include <QUrl>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray name = fuzzsupport::bytes(data, size);
    nativename::toDisplay(name);
    const QByteArray path = '/' + name;
    fuzzsupport::require(nativename::fromStoredText(nativename::toStoredText(path)) == path,
                         "a stored path reads back");
    if (!name.contains('\0'))
        fuzzsupport::require(nativename::localPathOfUrl(QUrl(nativename::fileUrl(path))) == path,
                             "a file URL names the path");
    return 0;
}
