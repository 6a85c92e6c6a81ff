// SPDX-License-Identifier: GPL-3.0-or-later
#include "fullscreen_probe.h"

#include <cstdlib>
#include <cstring>

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

namespace tavrel::linux_qt {

namespace {

xcb_intern_atom_cookie_t AskAtom(xcb_connection_t* connection, const char* name) {
    return xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
}

xcb_atom_t AtomOf(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// The property's 32-bit values, at most max of them; an error or another type reads as none.
int Values(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
           std::uint32_t* values, int max) {
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, type, 0, static_cast<std::uint32_t>(max));
    xcb_generic_error_t* error = nullptr;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, &error);
    std::free(error);  // a window gone meanwhile: no values
    if (reply == nullptr) return 0;
    int count = 0;
    if (reply->type == type && reply->format == 32) {
        count = xcb_get_property_value_length(reply) / 4;
        if (count > max) count = max;
        std::memcpy(values, xcb_get_property_value(reply), static_cast<std::size_t>(count) * 4);
    }
    std::free(reply);
    return count;
}

}  // namespace

FullscreenProbe::FullscreenProbe() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return;
    connection_ = x11->connection();
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    if (screens.rem == 0) {
        connection_ = nullptr;
        return;
    }
    root_ = screens.data->root;
    // All three asked before any answer is awaited: one round trip at start-up, not three.
    const xcb_intern_atom_cookie_t active = AskAtom(connection_, "_NET_ACTIVE_WINDOW");
    const xcb_intern_atom_cookie_t state = AskAtom(connection_, "_NET_WM_STATE");
    const xcb_intern_atom_cookie_t fullscreen = AskAtom(connection_, "_NET_WM_STATE_FULLSCREEN");
    activeWindow_ = AtomOf(connection_, active);
    state_ = AtomOf(connection_, state);
    fullscreen_ = AtomOf(connection_, fullscreen);
}

bool FullscreenProbe::FullscreenInFront() {
    if (connection_ == nullptr || fullscreen_ == XCB_ATOM_NONE) return false;
    std::uint32_t active = 0;
    if (Values(connection_, root_, activeWindow_, XCB_ATOM_WINDOW, &active, 1) != 1 ||
        active == XCB_WINDOW_NONE) {
        return false;  // no window manager that says, or nothing has the focus
    }
    constexpr int kMaxStates = 32;
    std::uint32_t states[kMaxStates];
    const int count = Values(connection_, active, state_, XCB_ATOM_ATOM, states, kMaxStates);
    for (int i = 0; i < count; ++i) {
        if (states[i] == fullscreen_) return true;
    }
    return false;
}

}  // namespace tavrel::linux_qt
