// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework_win32.h"

#include "registry_store.h"

namespace tavrel::win32 {

Application* Application::current_ = nullptr;

Application::Application() {
    current_ = this;
}

int Application::Run(HINSTANCE instance) {
    instance_ = instance;
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, length < MAX_PATH ? length : MAX_PATH);
    const std::size_t slash = file.find_last_of("\\/");
    if (slash != std::string::npos) file.erase(0, slash + 1);
    const std::size_t dot = file.find_last_of('.');
    if (dot != std::string::npos) file.erase(dot);
    name_ = file;
    InitInstance();
    return 0;
}

void Application::SetRegistryKey(const char* company) {
    profile_ = std::make_unique<RegistryStore>(company, name_);
}

namespace {
constexpr char kFrameClass[] = "TavrelHiddenFrame";
}

HiddenFrame::~HiddenFrame() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (menu_) DestroyMenu(menu_);
}

bool HiddenFrame::PreCreateWindow(CreateParams& params) {
    // A tool window has no task-bar button and is left out of the window switcher.
    params.exStyle |= WS_EX_TOOLWINDOW;
    return true;
}

bool HiddenFrame::LoadFrame(HINSTANCE instance, int resourceId) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(resourceId));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kFrameClass;
    RegisterClassA(&wc);
    menu_ = LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
    CreateParams params = {0, 0};
    if (!PreCreateWindow(params)) return false;
    hwnd_ = CreateWindowExA(params.exStyle, kFrameClass, "Tavrel", params.style, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu_, instance,
                            nullptr);
    if (hwnd_) menu_ = nullptr;  // the window destroys its menu
    return hwnd_ != nullptr;
}

INT_PTR DialogBase::DoModal(HWND parent) {
    HINSTANCE instance = Application::instance() ? Application::instance()->instanceHandle()
                                                 : GetModuleHandleA(nullptr);
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId_), parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

BOOL DialogBase::OnInitDialog() {
    BindControls();
    return TRUE;
}

void DialogBase::OnOK() {
    EndDialog(hwnd_, IDOK);
}

void DialogBase::OnCancel() {
    EndDialog(hwnd_, IDCANCEL);
}

INT_PTR CALLBACK DialogBase::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        const BOOL result = self->OnInitDialog();
        self->dpiLayout_.Attach(hwnd);
        return result;
    }
    self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (message == kDpiChangedMessage) {
        self->dpiLayout_.OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    }
    INT_PTR result = FALSE;
    if (self->Dispatch(message, wParam, lParam, result)) return result;
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            self->OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            self->OnCancel();
            return TRUE;
        }
    }
    if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
    return FALSE;
}

bool DialogBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    const MessageTable table = GetMessageTable();
    for (std::size_t i = 0; i < table.count; ++i) {
        const MessageEntry& entry = table.entries[i];
        if (entry.message != message) continue;
        if (message == WM_COMMAND && ((entry.id != kAnyControl && entry.id != LOWORD(wParam)) ||
                                      entry.code != HIWORD(wParam))) {
            continue;
        }
        // Per call: a handler's message box runs nested dispatches, which must not decide
        // whether this message was handled.
        bool handled = true;
        bool* const outer = handled_;
        handled_ = &handled;
        result = TRUE;
        switch (entry.signature) {
            case Signature::Void:
                (this->*entry.handler.plain)();
                break;
            case Signature::Unsigned:
                (this->*entry.handler.withUnsigned)(
                    message == WM_COMMAND ? LOWORD(wParam) : static_cast<unsigned>(wParam));
                break;
            case Signature::Mouse:
                (this->*entry.handler.withPoint)(static_cast<short>(LOWORD(lParam)),
                                                 static_cast<short>(HIWORD(lParam)));
                break;
            case Signature::Icon:
                // Returned as the dialog procedure's own result.
                result = reinterpret_cast<INT_PTR>((this->*entry.handler.returningIcon)());
                break;
        }
        handled_ = outer;
        if (!handled) result = FALSE;
        return handled;
    }
    return false;
}

int MessageBoxFor(HWND owner, const char* text, UINT type) {
    const Application* app = Application::instance();
    return MessageBoxA(owner, text, app ? app->name().c_str() : "Tavrel", type);
}

}  // namespace tavrel::win32
