#include "playback/mpvapi.h"

#include <QLibrary>
#include <cstdio>
#include <mutex>

namespace {

template <typename F>
bool resolve(QLibrary& library, const char* name, F& target)
{
    target = reinterpret_cast<F>(library.resolve(name));
    return target != nullptr;
}

bool loadInto(MpvApi& api)
{
    static QLibrary library(QStringLiteral("mpv"), 2);
    if (!library.load()) {
        std::fprintf(stderr, "duvavazoruzevaz: cannot load libmpv: %s\n",
                     qPrintable(library.errorString()));
        return false;
    }
    return resolve(library, "mpv_create", api.create) &&
           resolve(library, "mpv_initialize", api.initialize) &&
           resolve(library, "mpv_terminate_destroy", api.terminate_destroy) &&
           resolve(library, "mpv_set_option_string", api.set_option_string) &&
           resolve(library, "mpv_set_property", api.set_property) &&
           resolve(library, "mpv_set_property_string", api.set_property_string) &&
           resolve(library, "mpv_set_property_async", api.set_property_async) &&
           resolve(library, "mpv_command_async", api.command_async) &&
           resolve(library, "mpv_command_node_async", api.command_node_async) &&
           resolve(library, "mpv_observe_property", api.observe_property) &&
           resolve(library, "mpv_get_property_async", api.get_property_async) &&
           resolve(library, "mpv_get_property_string", api.get_property_string) &&
           resolve(library, "mpv_free", api.free) &&
           resolve(library, "mpv_command", api.command) &&
           resolve(library, "mpv_wait_event", api.wait_event) &&
           resolve(library, "mpv_set_wakeup_callback", api.set_wakeup_callback) &&
           resolve(library, "mpv_error_string", api.error_string) &&
           resolve(library, "mpv_render_context_create", api.render_context_create) &&
           resolve(library, "mpv_render_context_set_update_callback",
                   api.render_context_set_update_callback) &&
           resolve(library, "mpv_render_context_update", api.render_context_update) &&
           resolve(library, "mpv_render_context_render", api.render_context_render) &&
           resolve(library, "mpv_render_context_report_swap", api.render_context_report_swap) &&
           resolve(library, "mpv_render_context_free", api.render_context_free);
}

} // namespace

const MpvApi* MpvApi::get()
{
    static MpvApi api;
    static bool loaded = false;
    static std::once_flag once;
    std::call_once(once, [] { loaded = loadInto(api); });
    return loaded ? &api : nullptr;
}
