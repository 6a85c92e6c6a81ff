// SPDX-License-Identifier: GPL-3.0-or-later
// Waits, as a user would, for what a thread of the program's own does (the copy into the
// shared folder): up to five seconds.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace tavrel::testing {

inline bool Within(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace tavrel::testing
