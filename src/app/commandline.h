#pragma once

#include <QByteArray>
#include <QString>

// What the command line asks for: `duvavazoruzevaz [--new-instance]
// [FOLDER|FILE]`, or --help / --version.
struct CommandLine {
    enum class Action { Run, PrintAndExit, Fail };
    Action action = Action::Run;
    // The folder or file to open, as the bytes given made absolute against
    // the current folder (empty: none).
    QByteArray target;
    // What to print for PrintAndExit (standard output) or Fail (standard error).
    QString text;
    // Run beside a copy already running instead of handing it the path.
    bool newInstance = false;
};

CommandLine parseCommandLine(int argc, char* argv[]);
