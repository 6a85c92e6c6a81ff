// Install count, installing and removing the hooks, and handing out the record.
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
