#include "platform/plasmaplacement.h"

#include "platform/librarysymbol.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstring>
#include <qpa/qplatformnativeinterface.h>
#include <wayland-util.h>

// libwayland-client is taken from the Wayland platform that has loaded it
// already, so that a program started on X does not load it at all.
struct wl_proxy;
struct wl_display;
struct wl_event_queue;

namespace {

struct WaylandClient {
    wl_proxy* (*marshalFlags)(wl_proxy*, uint32_t opcode, const wl_interface*, uint32_t version, uint32_t flags,
                              ...) = nullptr;
    int (*addListener)(wl_proxy*, void (**)(void), void* data) = nullptr;
    uint32_t (*version)(wl_proxy*) = nullptr;
    void* (*createWrapper)(void*) = nullptr;
    void (*destroyWrapper)(void*) = nullptr;
    void (*setQueue)(wl_proxy*, wl_event_queue*) = nullptr;
    void (*destroy)(wl_proxy*) = nullptr;
    wl_event_queue* (*createQueue)(wl_display*) = nullptr;
    void (*destroyQueue)(wl_event_queue*) = nullptr;
    int (*roundtripQueue)(wl_display*, wl_event_queue*) = nullptr;
    const wl_interface* registryInterface = nullptr;
};

bool loadInto(WaylandClient& client)
{
    static QLibrary library(QStringLiteral("wayland-client"), 0);
    return library.load() && resolveSymbol(library, "wl_proxy_marshal_flags", client.marshalFlags) &&
           resolveSymbol(library, "wl_proxy_add_listener", client.addListener) &&
           resolveSymbol(library, "wl_proxy_get_version", client.version) &&
           resolveSymbol(library, "wl_proxy_create_wrapper", client.createWrapper) &&
           resolveSymbol(library, "wl_proxy_wrapper_destroy", client.destroyWrapper) &&
           resolveSymbol(library, "wl_proxy_set_queue", client.setQueue) &&
           resolveSymbol(library, "wl_proxy_destroy", client.destroy) &&
           resolveSymbol(library, "wl_display_create_queue", client.createQueue) &&
           resolveSymbol(library, "wl_event_queue_destroy", client.destroyQueue) &&
           resolveSymbol(library, "wl_display_roundtrip_queue", client.roundtripQueue) &&
           resolveSymbol(library, "wl_registry_interface", client.registryInterface);
}

// The part of the plasma-shell protocol (version 1) the program speaks:
// a shell's get_surface, a surface's destroy, set_output and set_position.
// Neither sends events at that version.
const wl_interface* kNoTypes[] = {nullptr, nullptr};
const wl_message kSurfaceRequests[] = {
    {"destroy", "", kNoTypes}, {"set_output", "o", kNoTypes}, {"set_position", "ii", kNoTypes}};
const wl_interface kPlasmaSurface = {"org_kde_plasma_surface", 1, 3, kSurfaceRequests, 0, nullptr};
const wl_interface* kGetSurfaceTypes[] = {&kPlasmaSurface, nullptr};
const wl_message kShellRequests[] = {{"get_surface", "no", kGetSurfaceTypes}};
const wl_interface kPlasmaShell = {"org_kde_plasma_shell", 1, 1, kShellRequests, 0, nullptr};

constexpr uint32_t kGetRegistry = 1; // wl_display
constexpr uint32_t kBind = 0;        // wl_registry
constexpr uint32_t kGetSurface = 0;
constexpr uint32_t kDestroy = 0;
constexpr uint32_t kSetPosition = 2;
constexpr uint32_t kMarshalDestroy = 1;

struct Found {
    const WaylandClient* client;
    wl_proxy* shell = nullptr;
};

void announced(void* data, wl_proxy* registry, uint32_t name, const char* interface, uint32_t)
{
    auto* found = static_cast<Found*>(data);
    if (found->shell || std::strcmp(interface, kPlasmaShell.name) != 0)
        return;
    found->shell = found->client->marshalFlags(registry, kBind, &kPlasmaShell, 1, 0, name, kPlasmaShell.name, 1u,
                                               nullptr);
}

void withdrawn(void*, wl_proxy*, uint32_t) {}

// wl_registry's listener, as libwayland-client reads it.
struct RegistryListener {
    void (*global)(void*, wl_proxy*, uint32_t, const char*, uint32_t);
    void (*globalRemove)(void*, wl_proxy*, uint32_t);
};

QPlatformNativeInterface* nativeInterface()
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return nullptr;
    return QGuiApplication::platformNativeInterface();
}

// One round trip to the compositor, on a queue of its own so that nothing
// else of Qt's is dispatched meanwhile.
wl_proxy* findShell(const WaylandClient& client, wl_display* display)
{
    wl_event_queue* queue = client.createQueue(display);
    auto* ownDisplay = static_cast<wl_proxy*>(client.createWrapper(display));
    client.setQueue(ownDisplay, queue);
    wl_proxy* registry =
        client.marshalFlags(ownDisplay, kGetRegistry, client.registryInterface, client.version(ownDisplay), 0, nullptr);
    static RegistryListener listener{&announced, &withdrawn};
    Found found{&client};
    client.addListener(registry, reinterpret_cast<void (**)(void)>(&listener), &found);
    client.roundtripQueue(display, queue);
    client.destroy(registry);
    client.destroyWrapper(ownDisplay);
    if (found.shell)
        client.setQueue(found.shell, nullptr); // it has no events; the queue goes
    client.destroyQueue(queue);
    return found.shell;
}

struct PlasmaShell {
    WaylandClient client;
    wl_proxy* shell = nullptr;
};

const PlasmaShell* plasmaShell()
{
    static const PlasmaShell found = [] {
        PlasmaShell shell;
        QPlatformNativeInterface* native = nativeInterface();
        auto* display = native ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display")) : nullptr;
        if (display && loadInto(shell.client))
            shell.shell = findShell(shell.client, display);
        return shell;
    }();
    return found.shell ? &found : nullptr;
}

wl_proxy* surfaceOf(QWindow& window)
{
    QPlatformNativeInterface* native = nativeInterface();
    return native ? static_cast<wl_proxy*>(native->nativeResourceForWindow("surface", &window)) : nullptr;
}

// Where the compositor is asked to keep a window. Qt gives a window a new
// surface each time it is shown, and may make it anew while it is shown (to
// draw it with OpenGL): the position goes with each new surface.
class Placement : public QObject {
public:
    Placement(const PlasmaShell& plasma, QWindow& window) : QObject(&window), plasma_(plasma), window_(window)
    {
        window.installEventFilter(this);
    }
    ~Placement() override { release(); }

    void moveTo(QPoint topLeft)
    {
        topLeft_ = topLeft;
        if (placed_ && surfaceOf(window_) == surface_)
            sendPosition();
        else
            follow();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            release();
        else if (event->type() == QEvent::Expose)
            follow();
        return false;
    }

private:
    void follow()
    {
        wl_proxy* surface = surfaceOf(window_);
        if (!surface || surface == surface_)
            return;
        release();
        surface_ = surface;
        placed_ = plasma_.client.marshalFlags(plasma_.shell, kGetSurface, &kPlasmaSurface, 1, 0, nullptr, surface);
        sendPosition();
    }

    void sendPosition()
    {
        plasma_.client.marshalFlags(placed_, kSetPosition, nullptr, 1, 0, topLeft_.x(), topLeft_.y());
    }

    void release()
    {
        if (placed_)
            plasma_.client.marshalFlags(placed_, kDestroy, nullptr, 1, kMarshalDestroy);
        placed_ = nullptr;
        surface_ = nullptr;
    }

    const PlasmaShell& plasma_;
    QWindow& window_;
    QPoint topLeft_;
    wl_proxy* surface_ = nullptr;
    wl_proxy* placed_ = nullptr;
};

} // namespace

namespace plasmaplacement {

void place(QWindow& window, QPoint frameTopLeft)
{
    const PlasmaShell* plasma = plasmaShell();
    if (!plasma)
        return;
    auto* placement = window.findChild<Placement*>(QString(), Qt::FindDirectChildrenOnly);
    if (!placement)
        placement = new Placement(*plasma, window);
    placement->moveTo(frameTopLeft);
}

} // namespace plasmaplacement
