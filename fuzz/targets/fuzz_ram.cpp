// The .ram reader: any file gives entries that are local paths, or none.
#include "fuzzsupport.h"
#include "playback/ramfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzzsupport::scratchFolder() + QStringLiteral("/list.ram");
    fuzzsupport::writeFile(path, fuzzsupport::bytes(data, size));
    const QList<QByteArray> entries = ramfile::entries(QFile::encodeName(path));
    fuzzsupport::require(entries.size() <= 1000, "at most 1,000 entries");
    for (const QByteArray& entry : entries)
        fuzzsupport::require(!entry.isEmpty() && !entry.contains('\0'), "entries are paths");
    return 0;
}
