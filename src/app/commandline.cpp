#include "app/commandline.h"

#include <QDir>
#include <QFile>

namespace {

QString usage()
{
    return QStringLiteral(
        "Usage: duvavazoruzevaz [--new-instance] [FOLDER | FILE]\n"
        "Gathers the clips (or, in still-picture mode, the pictures) below a folder and plays\n"
        "or shows them one after another.\n"
        "\n"
        "  FOLDER     open this folder and search it at once\n"
        "  FILE       open the file's folder, search it, then play or show the file\n"
        "             (a copy already running opens it instead, and this one ends)\n"
        "  --new-instance  start another copy even when one is running\n"
        "  --help     show this help and exit\n"
        "  --version  show the version and exit\n"
        "  --         end of the options: a path that starts with \"-\" follows\n");
}

} // namespace

CommandLine parseCommandLine(int argc, char* argv[])
{
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (!optionsEnded && argument == "--") {
            optionsEnded = true; // what follows is a path, even "-x.mpg"
            continue;
        }
        if (!optionsEnded && (argument == "--help" || argument == "-h"))
            return {CommandLine::Action::PrintAndExit, {}, usage()};
        if (!optionsEnded && argument == "--version")
            return {CommandLine::Action::PrintAndExit, {}, QStringLiteral("duvaVazorUzevaz " PROGRAM_VERSION "\n")};
        if (!optionsEnded && argument == "--new-instance") {
            line.newInstance = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith('-') && argument != "-")
            return {CommandLine::Action::Fail, {},
                    QStringLiteral("unknown option %1\n\n").arg(QString::fromLocal8Bit(argument)) + usage()};
        if (!line.target.isEmpty())
            return {CommandLine::Action::Fail, {}, QStringLiteral("only one folder or file, please\n\n") + usage()};
        line.target = argument;
    }
    if (!line.target.isEmpty() && !line.target.startsWith('/'))
        line.target = QFile::encodeName(QDir::currentPath()) + '/' + line.target;
    return line;
}
