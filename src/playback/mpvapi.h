#pragma once

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

// The libmpv functions the player uses. The library is loaded on demand
// (dlopen), so the program starts as fast as a bare Qt program and the
// player engine arrives once the main window is up.
struct MpvApi {
    decltype(&mpv_create) create;
    decltype(&mpv_initialize) initialize;
    decltype(&mpv_terminate_destroy) terminate_destroy;
    decltype(&mpv_set_option_string) set_option_string;
    decltype(&mpv_set_property) set_property;
    decltype(&mpv_set_property_string) set_property_string;
    decltype(&mpv_set_property_async) set_property_async;
    decltype(&mpv_command_async) command_async;
    decltype(&mpv_command_node_async) command_node_async;
    decltype(&mpv_observe_property) observe_property;
    decltype(&mpv_get_property_async) get_property_async;
    decltype(&mpv_get_property_string) get_property_string;
    decltype(&mpv_free) free;
    decltype(&mpv_command) command;
    decltype(&mpv_wait_event) wait_event;
    decltype(&mpv_set_wakeup_callback) set_wakeup_callback;
    decltype(&mpv_error_string) error_string;
    decltype(&mpv_render_context_create) render_context_create;
    decltype(&mpv_render_context_set_update_callback) render_context_set_update_callback;
    decltype(&mpv_render_context_update) render_context_update;
    decltype(&mpv_render_context_get_info) render_context_get_info;
    decltype(&mpv_render_context_render) render_context_render;
    decltype(&mpv_render_context_report_swap) render_context_report_swap;
    decltype(&mpv_render_context_free) render_context_free;

    // The loaded library, or nullptr when it cannot be loaded. Safe to
    // call from any thread; the first call loads.
    static const MpvApi* get();
};
