// The application object and the program's entry point.
#include <windows.h>

#include <memory>

#include "framework_win32.h"
#include "monitor_window_win32.h"
#include "resource.h"

namespace tavrel::win32 {

class MonitorApp final : public Application {
  public:
    bool InitInstance() override {
        // The frame only owns the dialog; it is never shown.
        auto frame = std::make_unique<HiddenFrame>();
        frame->LoadFrame(instanceHandle(), IDR_MAINFRAME);
        mainWindow = frame->hwnd();
        SetRegistryKey("ZKV");
        {
            MonitorDialogWindow dialog(frame->hwnd(), profile());
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
