// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the window that has the focus is a fullscreen window (a slide show, a shared
// screen, a video call), asked of the X server through the window manager's own properties:
// the root's _NET_ACTIVE_WINDOW and that window's _NET_WM_STATE. Over Qt's connection, on the
// GUI thread; a reply that does not come as asked is no fullscreen.
#pragma once

#include <cstdint>

struct xcb_connection_t;

namespace tavrel::linux_qt {

class FullscreenProbe {
  public:
    FullscreenProbe();
    bool FullscreenInFront();

  private:
    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint32_t activeWindow_ = 0;  // the atoms, interned once
    std::uint32_t state_ = 0;
    std::uint32_t fullscreen_ = 0;
};

}  // namespace tavrel::linux_qt
