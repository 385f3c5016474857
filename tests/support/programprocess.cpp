#include "support/programprocess.h"

#include "settings/settingsstore.h"
#include "support/testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <unistd.h>
#include <QTest>
#include <cstdio>
#include <utility>

namespace testsupport {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

ProgramProcess::ProgramProcess() = default;

ProgramProcess::~ProgramProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
    std::fputs(errorOutput().constData(), stderr);
}

void key(const QString& windowId, const QString& keys)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

void ProgramProcess::prepare(const QString& folder, const QString& mode)
{
    writeSettings(config_.path(), {{"Option", "F", "OK"}, {"Option", "Drive", "/"}, {"Option", "Dir", folder},
                                   {"Option", "OP", mode}});
}

QString ProgramProcess::startSearch(const QString& folder, const QString& mode)
{
    prepare(folder, mode);
    if (!start())
        return {};
    const QString main = waitForWindow(QStringLiteral("DuvavazorUzevaz"));
    if (!main.isEmpty())
        key(main, QStringLiteral("ctrl+f"));
    return main;
}

long ProgramProcess::residentKb()
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process_.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

long ProgramProcess::settledResidentKb()
{
    long before = residentKb();
    waitFor([&] {
        QTest::qWait(500);
        const long now = residentKb();
        return std::exchange(before, now) + 1024 > now;
    }, 10000);
    return before;
}

double ProgramProcess::cpuSeconds()
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(process_.processId()));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // Fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
    const QList<QByteArray> fields = stat.readAll().split(')').last().trimmed().split(' ');
    return (fields.value(11).toLong() + fields.value(12).toLong()) / double(::sysconf(_SC_CLK_TCK));
}

bool ProgramProcess::start(const QString& workingFolder, const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
    process_.setProcessEnvironment(env);
    if (!workingFolder.isEmpty())
        process_.setWorkingDirectory(workingFolder);
    process_.start(qEnvironmentVariable("DVZ_BINARY"), arguments);
    return process_.waitForStarted(10000);
}

QByteArray ProgramProcess::errorOutput()
{
    errors_ += process_.readAllStandardError();
    return errors_;
}

QStringList ProgramProcess::windowTitles()
{
    QStringList titles;
    const QStringList ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                           QStringLiteral("--pid"), QString::number(process_.processId())})
                                .split(u'\n', Qt::SkipEmptyParts);
    for (const QString& id : ids)
        titles << run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id});
    return titles;
}

QString ProgramProcess::waitForWindow(const QString& title, int milliseconds)
{
    QString id;
    // Polled gently: each look is a new X client, and an X server whose
    // connection queue is full refuses the program's own connection.
    waitFor([&] {
        QTest::qWait(150);
        const QString pid = QString::number(process_.processId());
        const QStringList ids = run(QStringLiteral("xdotool"),
                                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), pid})
                                    .split(u'\n', Qt::SkipEmptyParts);
        for (const QString& candidate : ids) {
            if (run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), candidate}) == title) {
                id = candidate;
                return true;
            }
        }
        return false;
    }, milliseconds);
    return id;
}

QRect ProgramProcess::windowGeometry(const QString& windowId)
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), windowId});
    const auto number = [&info](const char* label) {
        const QRegularExpression re(QLatin1String(label) + QStringLiteral(":\\s+(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height"));
}

QRect ProgramProcess::outerGeometry(const QString& windowId)
{
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QString extents = run(QStringLiteral("xprop"), {QStringLiteral("-id"), windowId, QStringLiteral("_NET_FRAME_EXTENTS")});
    const QStringList sides = extents.section(u'=', 1).split(u',', Qt::SkipEmptyParts);
    const QRect client = windowGeometry(windowId);
    if (sides.size() != 4)
        return client;
    return client.adjusted(-sides[0].toInt(), -sides[2].toInt(), sides[1].toInt(), sides[3].toInt());
}

WindowManager::WindowManager()
{
    const QString name = qEnvironmentVariable("DVZ_WINDOW_MANAGER");
    if (name.isEmpty())
        return;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(name, {});
    process_.waitForStarted(10000);
    // Up once it has claimed the screen.
    waitFor([] {
        QTest::qWait(100);
        return run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains(QStringLiteral("window id"));
    }, 10000);
}

WindowManager::~WindowManager()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        process_.waitForFinished(5000);
    }
}

bool ProgramProcess::waitForExit(int milliseconds)
{
    return process_.waitForFinished(milliseconds);
}

QString ProgramProcess::setting(const QString& key)
{
    SettingsStore store(config_.path());
    return store.getSetting(QStringLiteral("ZOLT"), QStringLiteral("Option"), key, QStringLiteral("(NO DATA)"));
}

} // namespace testsupport
