// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the Linux program's two sources the tick takes its counts from, and what the user
// is told about it. Under X11 X RECORD sees every program. In a Wayland session only the
// input service sees the whole desktop; X RECORD still sees the X11 programs, which is the
// fallback whenever the service cannot count for this user.
#pragma once

#include "tavrel/activity_source.h"

namespace tavrel {

enum class SessionKind { X11, Wayland };

// WAYLAND_DISPLAY set, or XDG_SESSION_TYPE=wayland: a Wayland session. Either may be null.
SessionKind DetectSession(const char* waylandDisplay, const char* sessionType);

// What the input service last said, as far as the client knows.
enum class ServiceState {
    NotAnswering,     // no socket, nobody listening, or no reply yet
    Lost,             // it was answering, then the connection broke; retrying
    Incompatible,     // its messages are not this program's (another version)
    Counting,         // counts the desktop for this user
    SessionInactive,  // this user's session is not the one in front, or it is locked
    NotSeatUser,      // this user owns no session on the devices' seat
    NoDevices,        // it can read no keyboard or pointing device
};

enum class PickedSource { XRecord, Service };

struct SourcePick {
    PickedSource source;
    CaptureStatus status;
};

// The texts are the program's own, shown in the window and the tray tip.
SourcePick PickSource(SessionKind session, ServiceState service, const CaptureStatus& xRecord);

}  // namespace tavrel
