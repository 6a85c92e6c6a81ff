// Install count, installing and removing the hooks, and handing out the record.
#include "shared_atomic.h"
#include "tavrel/hooks_core.h"

namespace tavrel::hooks {
namespace {

void ClearActivity(ActivityBlock& block) {
    shared::Store(&block.activity.clicks, 0);
    shared::Store(&block.activity.doubleClicks, 0);
    shared::Store(&block.activity.keys, 0);
    shared::Store(&block.activity.moveDistance, 0.0f);
    shared::Store(&block.activity.dragDistance, 0.0f);
}

// Clears the field before removing, so a removed handle never reaches the platform again.
void RemoveStoredHook(HookHandle* field, HookPlatform& platform) {
    const HookHandle handle = shared::Take(field);
    if (handle != 0) platform.RemoveHook(handle);
}

}  // namespace

std::int32_t GetData(ActivityBlock& block, MDTAG* record) {
    // Each field is taken and zeroed in one step: an event counted at any moment shows in
    // this record or in the next one, never in neither.
    record->clicks = shared::Take(&block.activity.clicks);
    record->doubleClicks = shared::Take(&block.activity.doubleClicks);
    record->keys = shared::Take(&block.activity.keys);
    record->moveDistance = shared::Take(&block.activity.moveDistance);
    record->dragDistance = shared::Take(&block.activity.dragDistance);
    return 1;
}

std::int32_t InitHooks(ActivityBlock& block, ProcessState& process, HookPlatform& platform) {
    if (process.initialised != 0) return 0;
    process.initialised = 1;
    ClearActivity(block);
    shared::Store(&block.buttonDown, 0);
    if (shared::AddAndFetch(&block.installCount, 1) != 1) return 1;

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
    if (shared::AddAndFetch(&block.installCount, -1) != 0) return 1;
    RemoveStoredHook(&block.mouseHook, platform);
    RemoveStoredHook(&block.keyboardHook, platform);
    return 1;
}

}  // namespace tavrel::hooks
