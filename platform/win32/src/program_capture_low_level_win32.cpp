// SPDX-License-Identifier: GPL-3.0-or-later
// The 64-bit release counts in its own process with the low-level capture, in physical
// pixels. For the tests only, "--capture=hook-library" on the command line has it count with
// TavrelHooks.dll instead, as the 32-bit release does; the library is loaded only then.
#include <windows.h>
#include <shellapi.h>

#include "handles_win32.h"
#include "low_level_capture.h"
#include "physical_pixels_win32.h"
#include "program_capture.h"

namespace tavrel::win32 {
namespace {

constexpr wchar_t kHookLibrarySwitch[] = L"--capture=hook-library";

bool HookLibraryAskedFor() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr) return false;
    bool asked = false;
    for (int i = 1; i < count; ++i) asked = asked || lstrcmpW(args[i], kHookLibrarySwitch) == 0;
    LocalFree(args);
    return asked;
}

// The hook library bound at run time, so that the release itself never imports it.
class HookLibrarySource final : public ActivitySource {
  public:
    CaptureStatus Start() override {
        library_.load("TavrelHooks.dll");
        getData_ = Bind<GetDataFn>("GetData");
        initHooks_ = Bind<PlainFn>("InitHooks");
        killHooks_ = Bind<PlainFn>("KillHooks");
        started_ = getData_ && initHooks_ && killHooks_ && initHooks_() != 0;
        if (!started_) {
            status_ = {CaptureHealth::NotCounting,
                       "Tavrel is not counting: Windows refused its input hooks."};
        }
        return status_;
    }
    void Stop() override {
        if (started_) killHooks_();
        started_ = false;
        library_.reset();
    }
    void Take(MDTAG& record) override {
        if (started_) getData_(&record);
    }
    CaptureStatus Status() override { return status_; }

  private:
    using GetDataFn = int(TAVREL_HOOKS_CALL*)(MDTAG*);
    using PlainFn = int(TAVREL_HOOKS_CALL*)();

    template <class Fn>
    Fn Bind(const char* name) {
        if (library_.get() == nullptr) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library_.get(), name)));
    }

    LoadedModule library_;
    GetDataFn getData_ = nullptr;
    PlainFn initHooks_ = nullptr;
    PlainFn killHooks_ = nullptr;
    bool started_ = false;
    CaptureStatus status_;
};

LowLevelCapture theCapture;
HookLibrarySource theHookLibrary;

}  // namespace

ActivitySource& ProgramActivitySource() {
    if (HookLibraryAskedFor()) return theHookLibrary;
    return theCapture;
}

std::int32_t PainScreenWidth() {
    return PrimaryScreenWidthInPixels();
}

}  // namespace tavrel::win32
