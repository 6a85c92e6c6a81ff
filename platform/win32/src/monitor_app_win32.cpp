// SPDX-License-Identifier: GPL-3.0-or-later
// The application object and the program's entry point.
#include <windows.h>

#include <memory>

#include "framework_win32.h"
#include "handles_win32.h"
#include "monitor_window_win32.h"
#include "resource.h"

namespace tavrel::win32 {

class MonitorApp final : public Application {
  public:
    bool InitInstance() override {
        // One monitor per user session: a second one would split every record with the
        // first and each would see half the activity.
        InstanceMutex instance("Local\\Tavrel.SingleInstance");
        if (instance.alreadyRunning()) {
            ShowRunningMainWindow();
            return false;
        }
        // The frame only owns the dialog; it is never shown.
        auto frame = std::make_unique<HiddenFrame>();
        frame->LoadFrame(instanceHandle(), IDR_MAINFRAME);
        mainWindow = frame->hwnd();
        SetRegistryKey("ZKV");
        {
            MonitorWindow dialog(profile());
            dialog.DoModal(frame->hwnd());
        }
        return false;  // no message loop of our own: the program ends here
    }
};

}  // namespace tavrel::win32

namespace {
tavrel::win32::MonitorApp theApp;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return theApp.Run(instance);
}
