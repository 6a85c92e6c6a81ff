// SPDX-License-Identifier: GPL-3.0-or-later
// The interface of TavrelHooks: the activity record and the three exports.
// Included by the hook library itself and by the program.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define TAVREL_HOOKS_CALL __stdcall
#else
#define TAVREL_HOOKS_CALL
#endif

extern "C" {

// Activity counted since the last GetData. Crosses the library boundary:
// 20 bytes, little-endian, no gaps.
struct MDTAG {
    float moveDistance;   // pixels moved with no button taken to be down
    float dragDistance;   // pixels moved with a button taken to be down
    std::int32_t clicks;  // releases, less 2 per double-click; may be negative
    std::int32_t doubleClicks;
    std::int32_t keys;  // keystroke messages with the previous-key-state flag set
};

// Copies the shared record into *record and zeroes it. Always 1.
int TAVREL_HOOKS_CALL GetData(MDTAG* record);
// Installs the system-wide hooks for the first user, counts later ones in. 1 or 0.
int TAVREL_HOOKS_CALL InitHooks(void);
// Counts this process out; the last user removes the hooks. 1 or 0.
int TAVREL_HOOKS_CALL KillHooks(void);

}  // extern "C"

static_assert(sizeof(float) == 4, "MDTAG needs 32-bit IEEE floats");
static_assert(sizeof(MDTAG) == 20, "MDTAG is 20 bytes");
static_assert(offsetof(MDTAG, moveDistance) == 0, "MDTAG layout");
static_assert(offsetof(MDTAG, dragDistance) == 4, "MDTAG layout");
static_assert(offsetof(MDTAG, clicks) == 8, "MDTAG layout");
static_assert(offsetof(MDTAG, doubleClicks) == 12, "MDTAG layout");
static_assert(offsetof(MDTAG, keys) == 16, "MDTAG layout");
