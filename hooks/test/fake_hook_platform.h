// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the window system's hook calls: hands out numbered handles, can refuse
// either hook type, and records every install and removal. Each ProcessState stands for
// one process, whose key is the state's address; a process can be ended hard.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tavrel/hooks_core.h"

namespace tavrel::hooks::testing {

class FakeHookPlatform : public HookPlatform {
  public:
    struct Install {
        HookType type;
        HookHandle handle;
        ProcessKey owner;
    };

    static ProcessKey KeyOf(const ProcessState& process) {
        return reinterpret_cast<std::uintptr_t>(&process);
    }

    // Makes the following calls come from this process.
    void ActAs(const ProcessState& process) { current = KeyOf(process); }

    // The process ends without KillHooks, and the window system removes the hooks it
    // installed, without a RemoveHook call.
    void EndHard(const ProcessState& process) {
        const ProcessKey key = KeyOf(process);
        ended.push_back(key);
        for (const Install& install : installs) {
            if (install.owner == key) {
                live.erase(std::remove(live.begin(), live.end(), install.handle), live.end());
            }
        }
    }

    HookHandle InstallHook(HookType type) override {
        const bool refused = (type == HookType::Mouse) ? refuseMouse : refuseKeyboard;
        const HookHandle handle = refused ? 0 : nextHandle++;
        installs.push_back({type, handle, current});
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

    ProcessKey CurrentProcess() override { return current; }

    bool ProcessAlive(ProcessKey process) override {
        return std::find(ended.begin(), ended.end(), process) == ended.end();
    }

    bool refuseMouse = false;
    bool refuseKeyboard = false;
    HookHandle nextHandle = 0x100;
    ProcessKey current = 1;
    std::vector<Install> installs;
    std::vector<HookHandle> live;            // installed and not yet removed
    std::vector<HookHandle> removed;         // every RemoveHook call, in order
    std::vector<HookHandle> removedUnknown;  // removals of handles not live at the time
    std::vector<ProcessKey> ended;           // processes ended hard
};

}  // namespace tavrel::hooks::testing
