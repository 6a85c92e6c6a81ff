// SPDX-License-Identifier: GPL-3.0-or-later
// Screen coordinates in physical pixels on the calling thread, whatever the process's own DPI
// awareness: a DPI-unaware thread sees every point scaled to its own logical space, which at
// 150 % would count two thirds of the pointer's real travel.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tavrel::win32 {

// Makes the calling thread per-monitor DPI aware for the guard's life, then restores it.
// Windows before 10 1607 has no per-thread awareness: there the process's own holds.
class PhysicalPixels {
  public:
    PhysicalPixels();
    ~PhysicalPixels();
    PhysicalPixels(const PhysicalPixels&) = delete;
    PhysicalPixels& operator=(const PhysicalPixels&) = delete;

  private:
    HANDLE previous_ = nullptr;  // the thread's awareness context before, if it was changed
};

// The primary screen's width in physical pixels.
std::int32_t PrimaryScreenWidthInPixels();

}  // namespace tavrel::win32
