// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstddef>

#include "shared_atomic.h"
#include "tavrel/hooks_core.h"

namespace tavrel::hooks {

// Kept out of the object files the hook library links: only the program asks this.
bool ActivityWaiting(ActivityBlock& block) {
    // Word by word: a distance is a float, and any bit set means something was counted.
    const auto* words = reinterpret_cast<const std::int32_t*>(&block.activity);
    for (std::size_t i = 0; i < sizeof(MDTAG) / sizeof(std::int32_t); ++i) {
        if (shared::Load(words + i) != 0) return true;
    }
    return false;
}

}  // namespace tavrel::hooks
