#include "playback/mpvapi.h"

#include "platform/librarysymbol.h"

#include <cstdio>

namespace {

bool loadInto(MpvApi& api)
{
    static QLibrary library(QStringLiteral("mpv"), 2);
    if (!library.load()) {
        std::fprintf(stderr, "duvavazoruzevaz: cannot load libmpv: %s\n",
                     qPrintable(library.errorString()));
        return false;
    }
    return resolveSymbol(library, "mpv_create", api.create) &&
           resolveSymbol(library, "mpv_initialize", api.initialize) &&
           resolveSymbol(library, "mpv_terminate_destroy", api.terminate_destroy) &&
           resolveSymbol(library, "mpv_set_option_string", api.set_option_string) &&
           resolveSymbol(library, "mpv_set_property", api.set_property) &&
           resolveSymbol(library, "mpv_set_property_string", api.set_property_string) &&
           resolveSymbol(library, "mpv_set_property_async", api.set_property_async) &&
           resolveSymbol(library, "mpv_command_async", api.command_async) &&
           resolveSymbol(library, "mpv_command_node_async", api.command_node_async) &&
           resolveSymbol(library, "mpv_observe_property", api.observe_property) &&
           resolveSymbol(library, "mpv_get_property_async", api.get_property_async) &&
           resolveSymbol(library, "mpv_get_property_string", api.get_property_string) &&
           resolveSymbol(library, "mpv_free", api.free) &&
           resolveSymbol(library, "mpv_command", api.command) &&
           resolveSymbol(library, "mpv_wait_event", api.wait_event) &&
           resolveSymbol(library, "mpv_set_wakeup_callback", api.set_wakeup_callback) &&
           resolveSymbol(library, "mpv_error_string", api.error_string) &&
           resolveSymbol(library, "mpv_render_context_create", api.render_context_create) &&
           resolveSymbol(library, "mpv_render_context_set_update_callback",
                   api.render_context_set_update_callback) &&
           resolveSymbol(library, "mpv_render_context_update", api.render_context_update) &&
           resolveSymbol(library, "mpv_render_context_get_info", api.render_context_get_info) &&
           resolveSymbol(library, "mpv_render_context_render", api.render_context_render) &&
           resolveSymbol(library, "mpv_render_context_report_swap", api.render_context_report_swap) &&
           resolveSymbol(library, "mpv_render_context_free", api.render_context_free);
}

} // namespace

const MpvApi* MpvApi::get()
{
    return loadOnce(loadInto);
}
