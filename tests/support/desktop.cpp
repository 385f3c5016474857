#include "support/desktop.h"

#include "support/testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <csignal>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

namespace testsupport {

struct Panel::Connection {
    Display* display = XOpenDisplay(nullptr);
    ~Connection()
    {
        if (display)
            XCloseDisplay(display);
    }
};

namespace {

void setAtomProperty(Display* display, Window window, const char* name, const char* value)
{
    const Atom atom = XInternAtom(display, value, False);
    XChangeProperty(display, window, XInternAtom(display, name, False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&atom), 1);
}

void setCardinals(Display* display, Window window, const char* name, const long* values, int count)
{
    XChangeProperty(display, window, XInternAtom(display, name, False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values), count);
}

} // namespace

Panel::Panel(int height) : x_(std::make_unique<Connection>())
{
    Display* display = x_->display;
    if (!display)
        return;
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen);
    const int top = DisplayHeight(display, screen) - height;
    const Window panel =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, top, width, height, 0, 0, 0x404040);
    setAtomProperty(display, panel, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DOCK");
    // left, right, top, bottom, then the start and end of each strip
    const long strut[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1};
    setCardinals(display, panel, "_NET_WM_STRUT_PARTIAL", strut, 12);
    setCardinals(display, panel, "_NET_WM_STRUT", strut, 4);
    XSizeHints place{};
    place.flags = USPosition | PPosition;
    place.x = 0;
    place.y = top;
    XSetWMNormalHints(display, panel, &place);
    XMapWindow(display, panel);
    XSync(display, False);
}

Panel::~Panel() = default;

OwnXServer::OwnXServer(QSize size) : previousDisplay_(qgetenv("DISPLAY"))
{
    server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                           QStringLiteral("0"),
                                           QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()),
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                           QStringLiteral("-noreset")}); // keeps monitors made by clients gone
    if (!waitFor([this] { return server_.waitForReadyRead(100) && server_.canReadLine(); }, 10000))
        return;
    display_ = ':' + server_.readLine().trimmed();
    qputenv("DISPLAY", display_);
}

OwnXServer::~OwnXServer()
{
    qputenv("DISPLAY", previousDisplay_);
    server_.terminate();
    server_.waitForFinished(5000);
}

bool setMonitors(const QList<QRect>& monitors)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const Window root = DefaultRootWindow(display);
    for (qsizetype i = 0; i < monitors.size(); ++i) {
        XRRMonitorInfo* monitor = XRRAllocateMonitor(display, 0);
        monitor->name = XInternAtom(display, qPrintable(QStringLiteral("TEST-%1").arg(i)), False);
        monitor->primary = i == 0;
        monitor->x = monitors[i].x();
        monitor->y = monitors[i].y();
        monitor->width = monitors[i].width();
        monitor->height = monitors[i].height();
        monitor->mwidth = monitors[i].width() / 4; // 100 dpi
        monitor->mheight = monitors[i].height() / 4;
        XRRSetMonitor(display, root, monitor);
        XRRFreeMonitors(monitor);
    }
    int count = 0;
    XRRMonitorInfo* made = XRRGetMonitors(display, root, True, &count);
    XRRFreeMonitors(made);
    XCloseDisplay(display);
    return count > monitors.size() - 1;
}

Background::Background(const QString& program, const QStringList& arguments)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program, arguments);
    process_.waitForStarted(5000);
}

Background::~Background()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void Background::setPaused(bool paused)
{
    if (process_.processId() > 0) // never 0: that would stop the test's own process group
        ::kill(pid_t(process_.processId()), paused ? SIGSTOP : SIGCONT);
}

BusyMachine::BusyMachine()
    : first_(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")}),
      second_(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")})
{
}

WaylandSession::WaylandSession()
{
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    weston_.setProcessEnvironment(environment);
    weston_.start(QStringLiteral("weston"),
                  {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--xwayland"),
                   QStringLiteral("--use-pixman"), QStringLiteral("--width=1280"), QStringLiteral("--height=1024"),
                   QStringLiteral("--socket=dvz-test"), QStringLiteral("--no-config"),
                   QStringLiteral("--log=") + runtime_.filePath(QStringLiteral("weston.log"))});
    if (waitFor([this] { return QFile::exists(runtime_.filePath(QStringLiteral("dvz-test"))); }, 10000))
        waylandDisplay_ = QStringLiteral("dvz-test");
}

WaylandSession::~WaylandSession()
{
    weston_.terminate();
    weston_.waitForFinished(5000);
}

QString WaylandSession::xDisplay() const
{
    QFile log(runtime_.filePath(QStringLiteral("weston.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const auto found = QRegularExpression(QStringLiteral("xserver listening on display (:\\d+)"))
                           .match(QString::fromUtf8(log.readAll()));
    return found.captured(1);
}

} // namespace testsupport
