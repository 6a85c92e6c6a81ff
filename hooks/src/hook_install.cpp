// SPDX-License-Identifier: GPL-3.0-or-later
// Install count, who holds and who installed the hooks, installing and removing them, and
// handing out the record.
#include "shared_atomic.h"
#include "tavrel/hooks_core.h"

namespace tavrel::hooks {
namespace {

void ClearActivity(ActivityBlock& block) {
    shared::ClearPair(&block.activity.clicks);
    shared::Store(&block.activity.keys, 0);
    shared::ClearPair(&block.activity.moveDistance);
}

// Clears the field before removing, so a removed handle never reaches the platform again.
void RemoveStoredHook(HookHandle* field, HookPlatform& platform) {
    const HookHandle handle = shared::Take(field);
    if (handle != 0) platform.RemoveHook(handle);
}

// Counts out every holder that ended without KillHooks. A slot with this process's own key
// is left from an earlier time the library was mapped here: this mapping is not in yet.
void CountOutEndedHolders(ActivityBlock& block, ProcessKey self, HookPlatform& platform) {
    for (ProcessKey& slot : block.holders) {
        const ProcessKey holder = shared::LoadKey(&slot);
        if (holder == 0 || (holder != self && platform.ProcessAlive(holder))) continue;
        // Whoever empties the slot counts it out; a racing caller finds it changed.
        if (shared::ReplaceKey(&slot, holder, 0)) shared::AddAndFetch(&block.installCount, -1);
    }
}

// With every slot taken the process is counted in all the same; only its own hard end
// would then go unnoticed.
void TakeSlot(ActivityBlock& block, ProcessKey self) {
    for (ProcessKey& slot : block.holders) {
        if (shared::LoadKey(&slot) == 0 && shared::ReplaceKey(&slot, 0, self)) return;
    }
}

void ReleaseSlot(ActivityBlock& block, ProcessKey self) {
    for (ProcessKey& slot : block.holders) {
        if (shared::ReplaceKey(&slot, self, 0)) return;
    }
}

// Whether this caller is to install the hooks: nobody holds them, or the process that
// installed them has ended. Its hooks ended with it, so their handles are only forgotten;
// handed to the platform they could name someone else's hook by now. Of callers racing for
// it, the one that replaces the installer installs.
bool ClaimInstall(ActivityBlock& block, ProcessKey self, HookPlatform& platform) {
    const ProcessKey installer = shared::LoadKey(&block.installer);
    if (installer != 0 && platform.ProcessAlive(installer)) return false;
    if (!shared::ReplaceKey(&block.installer, installer, self)) return false;
    if (installer != 0) {
        shared::Take(&block.mouseHook);
        shared::Take(&block.keyboardHook);
    }
    return true;
}

}  // namespace

std::int32_t GetData(ActivityBlock& block, MDTAG* record) {
    // Each field is taken and zeroed in one step: an event counted at any moment shows in
    // this record or in the next one, never in neither.
    const auto counts = shared::TakePair(&block.activity.clicks);
    record->clicks = counts.first;
    record->doubleClicks = counts.second;
    record->keys = shared::Take(&block.activity.keys);
    const auto distances = shared::TakePair(&block.activity.moveDistance);
    record->moveDistance = distances.first;
    record->dragDistance = distances.second;
    return 1;
}

std::int32_t InitHooks(ActivityBlock& block, ProcessState& process, HookPlatform& platform) {
    if (process.initialised != 0) return 0;
    process.initialised = 1;
    process.self = platform.CurrentProcess();
    CountOutEndedHolders(block, process.self, platform);
    ClearActivity(block);
    shared::Store(&block.buttonDown, 0);
    shared::AddAndFetch(&block.installCount, 1);
    TakeSlot(block, process.self);
    // Among live processes the installer is set exactly while the count is above 0, so this
    // is the caller that raised the count to 1, as long as nobody ended without KillHooks.
    if (!ClaimInstall(block, process.self, platform)) return 1;

    const HookHandle mouse = platform.InstallHook(HookType::Mouse);
    shared::Store(&block.mouseHook, mouse);
    if (mouse == 0) return 0;
    const HookHandle keyboard = platform.InstallHook(HookType::Keyboard);
    shared::Store(&block.keyboardHook, keyboard);
    if (keyboard == 0) return 0;
    return 1;
}

std::int32_t KillHooks(ActivityBlock& block, ProcessState& process, HookPlatform& platform) {
    if (process.initialised == 0) return 0;
    process.initialised = 0;
    ReleaseSlot(block, process.self);
    if (shared::AddAndFetch(&block.installCount, -1) != 0) return 1;
    RemoveStoredHook(&block.mouseHook, platform);
    RemoveStoredHook(&block.keyboardHook, platform);
    // Only now may the next InitHooks claim the install.
    shared::StoreKey(&block.installer, 0);
    return 1;
}

}  // namespace tavrel::hooks
