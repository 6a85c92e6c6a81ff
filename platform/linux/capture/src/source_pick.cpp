// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/source_pick.h"

#include <cstring>

namespace tavrel {

namespace {

// Said while the service counts: its distances are not the pointer's pixels.
constexpr const char* kHandTravel =
    "On Wayland the distances are the hand's travel, 1000 counts an inch, not pointer pixels.";

constexpr const char* kInactive =
    "Tavrel is not counting: another session is in front or this one is locked, and then "
    "nothing is counted for anyone.";
constexpr const char* kInactiveBrief = "not counting: session inactive or locked";

// Each reason the service cannot count, twice: with X RECORD still counting the X11
// programs, and with nothing counting at all.
struct Fallback {
    const char* partly;
    const char* partlyBrief;  // empty: the health's own words
    const char* none;
    const char* noneBrief;
};

constexpr Fallback kNotAnswering{
    "Tavrel counts only the input of X11 programs in this Wayland session. For full counts "
    "install the tavrel package: its input service counts the whole desktop.",
    "",
    "Tavrel is not counting: in this Wayland session only its input service can count. "
    "Install the tavrel package, which brings it.",
    "not counting: install the tavrel package",
};
constexpr Fallback kLost{
    "Tavrel counts only the input of X11 programs: its input service stopped answering. It "
    "tries again every second.",
    "X11 programs only: input service lost",
    "Tavrel is not counting: its input service stopped answering. It tries again every "
    "second.",
    "not counting: input service lost",
};
constexpr Fallback kIncompatible{
    "Tavrel counts only the input of X11 programs: the input service is of another version. "
    "Install this version's tavrel package.",
    "X11 programs only: service version differs",
    "Tavrel is not counting: the input service is of another version. Install this "
    "version's tavrel package.",
    "not counting: service version differs",
};
constexpr Fallback kNotSeatUser{
    "Tavrel counts only the input of X11 programs: the input service counts only for the "
    "user at this computer's screen and keyboard.",
    "X11 programs only: not the seat's user",
    "Tavrel is not counting: the input service counts only for the user at this computer's "
    "screen and keyboard.",
    "not counting: not the seat's user",
};
constexpr Fallback kNoDevices{
    "Tavrel counts only the input of X11 programs: the input service finds no keyboard or "
    "mouse.",
    "X11 programs only: no keyboard or mouse",
    "Tavrel is not counting: the input service finds no keyboard or mouse.",
    "not counting: no keyboard or mouse found",
};

const Fallback& FallbackFor(ServiceState service) {
    switch (service) {
        case ServiceState::Lost:
            return kLost;
        case ServiceState::Incompatible:
            return kIncompatible;
        case ServiceState::NotSeatUser:
            return kNotSeatUser;
        case ServiceState::NoDevices:
            return kNoDevices;
        default:
            return kNotAnswering;
    }
}

}  // namespace

SessionKind DetectSession(const char* waylandDisplay, const char* sessionType) {
    if (waylandDisplay != nullptr && waylandDisplay[0] != '\0') return SessionKind::Wayland;
    if (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0) {
        return SessionKind::Wayland;
    }
    return SessionKind::X11;
}

SourcePick PickSource(SessionKind session, ServiceState service, const CaptureStatus& xRecord) {
    if (session == SessionKind::X11) return {PickedSource::XRecord, xRecord};
    if (service == ServiceState::Counting) {
        return {PickedSource::Service, {CaptureHealth::Counting, kHandTravel, ""}};
    }
    // Nobody's input is counted meanwhile, and an X11 program of a session in the background
    // gets no input either: waiting for the service is all there is to do.
    if (service == ServiceState::SessionInactive) {
        return {PickedSource::Service, {CaptureHealth::NotCounting, kInactive, kInactiveBrief}};
    }
    const Fallback& fallback = FallbackFor(service);
    if (xRecord.health == CaptureHealth::NotCounting) {
        return {PickedSource::XRecord,
                {CaptureHealth::NotCounting, fallback.none, fallback.noneBrief}};
    }
    return {PickedSource::XRecord,
            {CaptureHealth::PartlyCounting, fallback.partly, fallback.partlyBrief}};
}

}  // namespace tavrel
