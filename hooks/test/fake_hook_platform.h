// A stand-in for the window system's hook calls: hands out numbered handles, can refuse
// either hook type, and records every install and removal.
#pragma once

#include <vector>

#include "tavrel/hooks_core.h"

namespace tavrel::hooks::testing {

class FakeHookPlatform : public HookPlatform {
  public:
    struct Install {
        HookType type;
        HookHandle handle;
    };

    HookHandle InstallHook(HookType type) override {
        const bool refused = (type == HookType::Mouse) ? refuseMouse : refuseKeyboard;
        const HookHandle handle = refused ? 0 : nextHandle++;
        installs.push_back({type, handle});
        if (handle != 0) live.push_back(handle);
        return handle;
    }

    void RemoveHook(HookHandle handle) override {
        removed.push_back(handle);
        for (auto it = live.begin(); it != live.end(); ++it) {
            if (*it == handle) {
                live.erase(it);
                return;
            }
        }
        removedUnknown.push_back(handle);
    }

    bool refuseMouse = false;
    bool refuseKeyboard = false;
    HookHandle nextHandle = 0x100;
    std::vector<Install> installs;
    std::vector<HookHandle> live;            // installed and not yet removed
    std::vector<HookHandle> removed;         // every RemoveHook call, in order
    std::vector<HookHandle> removedUnknown;  // removals of handles not live at the time
};

}  // namespace tavrel::hooks::testing
