// The application object and the program's entry point.
#include <windows.h>

#include <memory>

#include "framework_win32.h"
#include "monitor_window_win32.h"
#include "resource.h"
#include "tavrel/registry_store.h"

namespace tavrel::win32 {

class MonitorApp final : public Application {
  public:
    bool InitInstance() override {
        // The frame only owns the dialog; it is never shown.
        auto frame = std::make_unique<HiddenFrame>();
        frame->LoadFrame(instanceHandle(), IDR_MAINFRAME);
        mainWindow = frame->hwnd();
        RegistryStore store("ZKV", name().c_str());
        {
            MonitorDialogWindow dialog(frame->hwnd(), store);
            dialog.DoModal(frame->hwnd());
        }
        return false;
    }
};

}  // namespace tavrel::win32

namespace {
tavrel::win32::MonitorApp theApp;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return theApp.Run(instance);
}
