// A separate process for the settings tests: reads a value back
// ("get DIR SECTION KEY", printed as hex UTF-8), writes one and reads it
// back ("set DIR SECTION KEY VALUE"), or writes values without pause until
// it is killed ("storm DIR").
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication qt(argc, argv);
    const QStringList args = qt.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("get")) {
        SettingsStore store(args[2]);
        const QString value = store.getSetting(QStringLiteral("ZOLT"), args[3], args[4], QStringLiteral("(NO DATA)"));
        std::printf("%s\n", value.toUtf8().toHex().constData());
        return 0;
    }
    if (args.size() == 6 && args[1] == QLatin1String("set")) {
        SettingsStore store(args[2]);
        store.saveSetting(QStringLiteral("ZOLT"), args[3], args[4], args[5]);
        const QString value = store.getSetting(QStringLiteral("ZOLT"), args[3], args[4], QStringLiteral("(NO DATA)"));
        std::printf("%s\n", value.toUtf8().toHex().constData());
        return 0;
    }
    if (args.size() == 3 && args[1] == QLatin1String("storm")) {
        SettingsStore store(args[2]);
        std::printf("ready\n");
        std::fflush(stdout);
        for (long i = 0;; ++i)
            store.saveSetting(QStringLiteral("ZOLT"), QStringLiteral("Option"), QStringLiteral("Dir"),
                              QStringLiteral("/music/フォルダ %1 ").arg(i) + QString(200, u'x'));
    }
    return 2;
}
