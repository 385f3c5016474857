// The settings file: whatever the file held, a value written is read back
// as written, and the file the store wrote passes its own damage check.
#include "fuzzsupport.h"
#include "settings/settingsstore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString folder = fuzzsupport::scratchFolder();
    const QByteArray input = fuzzsupport::bytes(data, size);
    const qsizetype split = input.indexOf('\n');
    // The first line, as a value; the rest, as the file found.
    const QString value = QString::fromUtf8(split < 0 ? input : input.left(split));
    const QString settingsFile = folder + QStringLiteral("/ZOLT.ini");
    fuzzsupport::writeFile(settingsFile, split < 0 ? QByteArray() : input.mid(split + 1));
    QFile::remove(settingsFile + QStringLiteral(".corrupt"));
    {
        SettingsStore store(folder);
        store.getSetting(QStringLiteral("ZOLT"), QStringLiteral("Option"), QStringLiteral("Dir"));
        store.saveSetting(QStringLiteral("ZOLT"), QStringLiteral("Option"), QStringLiteral("Dir"), value);
    }
    QFile::remove(settingsFile + QStringLiteral(".corrupt"));
    SettingsStore again(folder);
    const QString read = again.getSetting(QStringLiteral("ZOLT"), QStringLiteral("Option"), QStringLiteral("Dir"));
    fuzzsupport::require(!QFile::exists(settingsFile + QStringLiteral(".corrupt")), "its own file is trusted");
    fuzzsupport::require(read == value, "a value reads back as written");
    return 0;
}
