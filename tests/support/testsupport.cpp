#include "support/testsupport.h"

#include "mainwindow/mainwindow.h"
#include "platform/messagebox.h"
#include "list/listview.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QThread>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace testsupport {

TempTree::TempTree() = default;

QByteArray TempTree::nativeRoot() const
{
    return QFile::encodeName(root());
}

void TempTree::add(const QString& relative, qint64 size)
{
    addBytes(QFile::encodeName(relative), size);
}

void TempTree::addAll(const QStringList& relatives)
{
    for (const QString& r : relatives)
        add(r);
}

void TempTree::addBytes(const QByteArray& relative, qint64 size)
{
    const QByteArray full = nativeRoot() + '/' + relative;
    // Folders are made from the bytes, so names that are not UTF-8 work too.
    for (qsizetype slash = full.indexOf('/', 1); slash > 0; slash = full.indexOf('/', slash + 1))
        ::mkdir(full.left(slash).constData(), 0755);
    if (full.endsWith('/'))
        return;
    const int fd = ::open(full.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, full.constData());
    if (size > 0)
        QVERIFY(::ftruncate(fd, size) == 0);
    ::close(fd);
}

bool makeOwnDevice(const QByteArray& path)
{
    return ::geteuid() == 0 && ::mknod(path.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
}

bool waitFor(const std::function<bool()>& condition, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return true;
}

double busyFactor()
{
    QFile loadAverage(QStringLiteral("/proc/loadavg"));
    const double load = loadAverage.open(QIODevice::ReadOnly) ? loadAverage.readAll().split(' ').value(0).toDouble() : 0;
    return std::max(1.0, load / std::max(1, QThread::idealThreadCount()));
}

MessageRecorder::MessageRecorder()
{
    messagebox::setObserver([this](const QString& text, const QString& caption) {
        texts << text;
        captions << caption;
    });
}

MessageRecorder::~MessageRecorder()
{
    messagebox::setObserver({});
}

WriteRecorder::WriteRecorder(SettingsStore& store) : store_(store)
{
    store.setWriteObserver([this](const QString&, const QString& key, const QString& value) {
        writes.push_back({key, value});
    });
}

WriteRecorder::~WriteRecorder()
{
    store_.setWriteObserver({});
}

TestProgram::TestProgram(MountSource mounts, bool start, bool preparePlayer)
{
    Application::Options options;
    options.configDirectory = config.path();
    options.mounts = mounts ? mounts : [] { return std::vector<MountEntry>{{"/", "/dev/root", "ext4", {}}}; };
    options.preparePlayer = preparePlayer;
    options.endProcess = [this] { ended = true; };
    options.clock = &clock;
    app = std::make_unique<Application>(options);
    if (start)
        app->start();
}

void writeSettings(const QString& configDir, const QList<QStringList>& sectionKeyValue)
{
    SettingsStore store(configDir);
    for (const QStringList& skv : sectionKeyValue)
        store.saveSetting(QStringLiteral("ZOLT"), skv[0], skv[1], skv[2]);
}

QString fixture(const QString& name)
{
    return qEnvironmentVariable("DVZ_FIXTURES") + u'/' + name;
}

QByteArray fixtureFolder()
{
    return QFile::encodeName(qEnvironmentVariable("DVZ_FIXTURES")) + '/';
}

void fillRows(Application& app, const QList<QByteArray>& names, const QByteArray& folder)
{
    ListView& list = *app.mainWindow().fileList;
    list.clearRows();
    for (const QByteArray& name : names)
        list.appendRow(folder, name, 1);
    list.count();
}

} // namespace testsupport
