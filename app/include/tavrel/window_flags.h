// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's three flags, which the window's behaviour and the alarm share.
#pragma once

#include <cstdint>

namespace tavrel {

struct WindowFlags {
    std::int32_t hiddenByUser = 0;       // sent to the notification area, not brought back
    std::int32_t hiddenUndisturbed = 0;  // ... and no alarm has raised it since
    std::int32_t raisedByAlarm = 0;      // an alarm brought it up; not re-hidden since

    // Shown, or raised by an alarm; hidden by the user, or hidden again after an alarm, not.
    bool WindowShown() const {
        return hiddenByUser == 0 || (hiddenUndisturbed == 0 && raisedByAlarm != 0);
    }
};

}  // namespace tavrel
