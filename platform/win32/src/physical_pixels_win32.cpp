// SPDX-License-Identifier: GPL-3.0-or-later
#include "physical_pixels_win32.h"

namespace tavrel::win32 {
namespace {

// DPI_AWARENESS_CONTEXT values, as opaque handles: the older headers lack them.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

using SetContext = HANDLE(WINAPI*)(HANDLE);

// Looked up, not imported: the program must still start where the call does not exist.
SetContext SetThreadContext() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr) return nullptr;
    return reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
}

}  // namespace

PhysicalPixels::PhysicalPixels() {
    const SetContext set = SetThreadContext();
    if (set == nullptr) return;
    previous_ = set(kPerMonitorAwareV2);
    // V2 arrived with Windows 10 1703; 1607 knows only the first per-monitor awareness.
    if (previous_ == nullptr) previous_ = set(kPerMonitorAware);
}

PhysicalPixels::~PhysicalPixels() {
    if (previous_ != nullptr) SetThreadContext()(previous_);
}

std::int32_t PrimaryScreenWidthInPixels() {
    PhysicalPixels pixels;
    return GetSystemMetrics(SM_CXSCREEN);
}

}  // namespace tavrel::win32
