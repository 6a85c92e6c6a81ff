// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the hook library, free of any window system: the shared block, the state
// each process keeps, the counting of mouse and keyboard messages, and the install count.
// The Windows library wraps these around SetWindowsHookExA and a shared data section.
//
// Everything here must be usable inside any process on the desktop: no heap, no exceptions,
// no static constructors, no library calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "TavrelHooks.h"

namespace tavrel::hooks {

// A hook handle as the window system hands it out; 0 stands for none.
using HookHandle = std::uintptr_t;

// Hook types in the window system's numbering.
enum class HookType : std::int32_t { Keyboard = 2, Mouse = 7 };

// Mouse message identifiers that are counted; everything outside First..Last is ignored.
namespace mouse_message {
constexpr std::uint32_t First = 0x0200;
constexpr std::uint32_t Move = 0x0200;
constexpr std::uint32_t LeftDown = 0x0201;
constexpr std::uint32_t LeftUp = 0x0202;
constexpr std::uint32_t LeftDoubleClick = 0x0203;
constexpr std::uint32_t RightDown = 0x0204;
constexpr std::uint32_t RightUp = 0x0205;
constexpr std::uint32_t RightDoubleClick = 0x0206;
constexpr std::uint32_t MiddleDown = 0x0207;
constexpr std::uint32_t MiddleUp = 0x0208;
constexpr std::uint32_t MiddleDoubleClick = 0x0209;
constexpr std::uint32_t Last = 0x0209;
}  // namespace mouse_message

// Keystroke flag: the key was already down before this message (repeat or release).
constexpr std::uint32_t PreviousKeyStateFlag = 0x40000000u;

// Names one process for as long as it runs, and never a later one: the platform joins the
// process id with the process's start time, since ids are handed out again. 0 is none.
using ProcessKey = std::uint64_t;

// Processes whose hard end can be noticed and counted out; later ones are counted in
// without a slot.
constexpr std::size_t HolderSlots = 8;

// The one block shared by every process that has the library mapped. All bytes start zero.
// Every field is read and written with atomic operations only.
// Aligned so that the record's pairs of fields (the distances; clicks and double-clicks)
// can each be taken in one 64-bit step, and each process key likewise.
struct alignas(8) ActivityBlock {
    HookHandle mouseHook;
    HookHandle keyboardHook;
    MDTAG activity;
    std::int32_t buttonDown;  // one flag for all buttons and all processes
    std::int32_t installCount;
    // The process whose InitHooks installed the hooks: they live only as long as it does.
    alignas(8) ProcessKey installer;
    // The processes counted in by InitHooks and not yet out by KillHooks, so that one
    // that ended without KillHooks can be counted out by the next InitHooks.
    ProcessKey holders[HolderSlots];
};

static_assert(offsetof(ActivityBlock, activity) % 8 == 0, "record pairs are 8-byte aligned");
static_assert(offsetof(ActivityBlock, installer) % 8 == 0, "process keys are 8-byte aligned");
static_assert(offsetof(MDTAG, dragDistance) == offsetof(MDTAG, moveDistance) + 4, "pair");
static_assert(offsetof(MDTAG, clicks) % 8 == 0, "pair");
static_assert(offsetof(MDTAG, doubleClicks) == offsetof(MDTAG, clicks) + 4, "pair");

// What each process keeps for itself; zero when the library is mapped into the process.
struct ProcessState {
    std::int32_t initialised;
    // Last position seen by the mouse hook in this process; (0, 0) before the first move.
    std::int32_t lastX;
    std::int32_t lastY;
    ProcessKey self;  // this process, as InitHooks recorded it in the shared block
};

struct ScreenPoint {
    std::int32_t x;
    std::int32_t y;
};

// Installs and removes system-wide hooks. The Windows library implements it with
// SetWindowsHookExA and UnhookWindowsHookEx; the tests with a fake.
class HookPlatform {
  public:
    // Installs the hook procedure of this type for every thread of the desktop; 0 if refused.
    virtual HookHandle InstallHook(HookType type) = 0;
    virtual void RemoveHook(HookHandle handle) = 0;
    // The calling process; never 0.
    virtual ProcessKey CurrentProcess() = 0;
    // False once that process has ended. A process that cannot be examined counts as
    // running: counting out a live holder would take the hooks from under it.
    virtual bool ProcessAlive(ProcessKey process) = 0;

  protected:
    ~HookPlatform() = default;
};

// Copies the record out and zeroes it, field by field, so that every count lands in exactly
// one record even while hook procedures keep adding. Always 1.
std::int32_t GetData(ActivityBlock& block, MDTAG* record);

// Whether anything is counted and not yet taken by GetData.
bool ActivityWaiting(ActivityBlock& block);

// The first caller system-wide installs both hooks; later callers only count themselves in
// and restart the accumulation. 0 if this process is already in or an install was refused.
// Holders that ended without KillHooks are counted out first, and if the process that
// installed the hooks has ended (taking its hooks with it), this caller installs them again.
std::int32_t InitHooks(ActivityBlock& block, ProcessState& process, HookPlatform& platform);

// Counts this process out; the last one removes the hooks. 0 if this process was not in.
std::int32_t KillHooks(ActivityBlock& block, ProcessState& process, HookPlatform& platform);

// One mouse message as the hook receives it. `position` is the cursor position in screen
// coordinates, or null where the platform gave none; only moves read it.
void CountMouseMessage(ActivityBlock& block, ProcessState& process, std::int32_t code,
                       std::uint32_t message, const ScreenPoint* position);

// One keystroke message: counts when the code is not negative and the key was already down.
void CountKeyboardMessage(ActivityBlock& block, std::int32_t code, std::uint32_t keystrokeFlags);

}  // namespace tavrel::hooks
