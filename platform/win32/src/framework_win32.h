// SPDX-License-Identifier: GPL-3.0-or-later
// The least window framework the program needs: an application object, an invisible
// owner frame, and modal dialogs that dispatch through a static message table.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "dpi_win32.h"
#include "handles_win32.h"
#include "tavrel/settings_store.h"
#include "tavrel/tick_timer.h"

namespace tavrel::win32 {

class Application {
  public:
    Application();
    virtual ~Application() = default;
    static Application* instance() { return current_; }

    HINSTANCE instanceHandle() const { return instance_; }
    // The program file's base name: the second level of the settings key.
    const std::string& name() const { return name_; }
    int Run(HINSTANCE instance);
    virtual bool InitInstance() = 0;

    // From here on the profile is per user, under HKEY_CURRENT_USER\Software\<company>\<name>.
    void SetRegistryKey(const char* company);
    SettingsStore& profile() { return *profile_; }

    HWND mainWindow = nullptr;

  private:
    static Application* current_;
    HINSTANCE instance_ = nullptr;
    std::string name_;
    std::unique_ptr<SettingsStore> profile_;
};

// The application's invisible main window: a tool window, so the program has no
// task-bar button; it owns the dialog.
class HiddenFrame {
  public:
    HiddenFrame() = default;
    ~HiddenFrame();
    HiddenFrame(const HiddenFrame&) = delete;
    HiddenFrame& operator=(const HiddenFrame&) = delete;
    bool LoadFrame(HINSTANCE instance, int resourceId);
    HWND hwnd() const { return hwnd_; }

  private:
    struct CreateParams {
        DWORD exStyle;
        DWORD style;
    };
    static bool PreCreateWindow(CreateParams& params);
    HWND hwnd_ = nullptr;
    HMENU menu_ = nullptr;
};

// Modal dialog from a template; messages reach member functions through a static table
// per class. WPARAM and LPARAM are decoded here and nowhere else.
class DialogBase {
  public:
    explicit DialogBase(int templateId) : templateId_(templateId) {}
    virtual ~DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    INT_PTR DoModal(HWND parent);
    HWND hwnd() const { return hwnd_; }

  protected:
    enum class Signature { Void, Unsigned, Mouse, Icon };
    // One member of the union is live per entry, named by its signature.
    union Handler {
        void (DialogBase::*plain)();
        void (DialogBase::*withUnsigned)(unsigned);
        void (DialogBase::*withPoint)(int, int);
        HICON (DialogBase::*returningIcon)();
    };
    // Matches a WM_COMMAND of any control with the entry's notification code.
    static constexpr UINT kAnyControl = 0xFFFFFFFFu;
    struct MessageEntry {
        UINT message;  // WM_COMMAND entries match on control id and notification code
        UINT id;       // or kAnyControl
        UINT code;
        Signature signature;
        Handler handler;
    };
    struct MessageTable {
        const MessageEntry* entries;
        std::size_t count;
    };

    template <class T>
    static MessageEntry Command(UINT id, UINT code, void (T::*fn)()) {
        MessageEntry entry{WM_COMMAND, id, code, Signature::Void, {}};
        entry.handler.plain = static_cast<void (DialogBase::*)()>(fn);
        return entry;
    }
    // Handler receives the control id: one handler for several controls.
    template <class T>
    static MessageEntry CommandId(UINT id, UINT code, void (T::*fn)(unsigned)) {
        MessageEntry entry{WM_COMMAND, id, code, Signature::Unsigned, {}};
        entry.handler.withUnsigned = static_cast<void (DialogBase::*)(unsigned)>(fn);
        return entry;
    }
    // One entry for a notification of every control; the handler receives the control id.
    template <class T>
    static MessageEntry CommandFromAny(UINT code, void (T::*fn)(unsigned)) {
        return CommandId<T>(kAnyControl, code, fn);
    }
    template <class T>
    static MessageEntry Message(UINT message, void (T::*fn)()) {
        MessageEntry entry{message, 0, 0, Signature::Void, {}};
        entry.handler.plain = static_cast<void (DialogBase::*)()>(fn);
        return entry;
    }
    // Handler receives the message's first parameter.
    template <class T>
    static MessageEntry MessageUnsigned(UINT message, void (T::*fn)(unsigned)) {
        MessageEntry entry{message, 0, 0, Signature::Unsigned, {}};
        entry.handler.withUnsigned = static_cast<void (DialogBase::*)(unsigned)>(fn);
        return entry;
    }
    // Handler receives the second parameter split into a signed point: (x, y).
    template <class T>
    static MessageEntry MessageMouse(UINT message, void (T::*fn)(int, int)) {
        MessageEntry entry{message, 0, 0, Signature::Mouse, {}};
        entry.handler.withPoint = static_cast<void (DialogBase::*)(int, int)>(fn);
        return entry;
    }
    template <class T>
    static MessageEntry MessageIcon(UINT message, HICON (T::*fn)()) {
        MessageEntry entry{message, 0, 0, Signature::Icon, {}};
        entry.handler.returningIcon = static_cast<HICON (DialogBase::*)()>(fn);
        return entry;
    }

    virtual MessageTable GetMessageTable() const { return {nullptr, 0}; }
    virtual BOOL OnInitDialog();
    // Finds the controls the window keeps handles of, once they exist.
    virtual void BindControls() {}
    virtual void OnOK();
    virtual void OnCancel();
    // Handlers that want the platform's default processing call this. It speaks for the
    // message being handled, even when a handler's message box dispatches others meanwhile.
    void Default() {
        if (handled_ != nullptr) *handled_ = false;
    }

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    int templateId_;
    HWND hwnd_ = nullptr;
    DialogDpiLayout dpiLayout_;  // every dialog follows its monitor's DPI
    bool* handled_ = nullptr;    // the flag of the innermost dispatch under way
};

// A timer of a dialog, without a callback procedure: its expiries arrive as WM_TIMER
// messages of the dialog, on the GUI thread. The dialog's window need exist only by Start.
class DialogTimer final : public TickTimer {
  public:
    DialogTimer(const DialogBase& dialog, UINT id, UINT periodMs)
        : dialog_(dialog), id_(id), periodMs_(periodMs) {}
    // Setting a running timer again only restarts its period.
    bool Start() override { return SetTimer(dialog_.hwnd(), id_, periodMs_, nullptr) != 0; }
    void Stop() override { KillTimer(dialog_.hwnd(), id_); }

  private:
    const DialogBase& dialog_;
    UINT id_;
    UINT periodMs_;
};

// Modal message box with the program's name as caption; returns the button chosen.
int MessageBoxFor(HWND owner, const char* text, UINT type);

}  // namespace tavrel::win32
