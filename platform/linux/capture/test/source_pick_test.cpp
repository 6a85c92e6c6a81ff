// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/source_pick.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tavrel {
namespace {

TEST(DetectSession, WaylandDisplayOrSessionTypeMakeAWaylandSession) {
    struct Case {
        const char* waylandDisplay;
        const char* sessionType;
        SessionKind expected;
    } cases[] = {
        {nullptr, nullptr, SessionKind::X11},
        {"", "x11", SessionKind::X11},
        {nullptr, "tty", SessionKind::X11},
        {"wayland-0", nullptr, SessionKind::Wayland},
        {"/run/user/1000/wayland-1", "x11", SessionKind::Wayland},
        {nullptr, "wayland", SessionKind::Wayland},
        {"", "wayland", SessionKind::Wayland},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DetectSession(c.waylandDisplay, c.sessionType), c.expected)
            << (c.waylandDisplay ? c.waylandDisplay : "null") << " / "
            << (c.sessionType ? c.sessionType : "null");
    }
}

constexpr CaptureStatus kRecordCounting{CaptureHealth::Counting, ""};
constexpr CaptureStatus kRecordPartly{CaptureHealth::PartlyCounting, "X11 programs only"};
constexpr CaptureStatus kRecordNone{CaptureHealth::NotCounting, "no X display"};

bool Contains(const char* text, const char* part) {
    return text != nullptr && std::strstr(text, part) != nullptr;
}

TEST(PickSource, EachServiceAnswerPicksASourceAndSaysWhyInPlainWords) {
    struct Case {
        SessionKind session;
        ServiceState service;
        CaptureStatus xRecord;
        PickedSource source;
        CaptureHealth health;
        const char* reasonHas;  // a part of the window's sentence
        const char* briefHas;   // a part of the tip's note; "" for the health's own words
    } cases[] = {
        // Under X11 X RECORD sees everything, whatever the service would say.
        {SessionKind::X11, ServiceState::Counting, kRecordCounting, PickedSource::XRecord,
         CaptureHealth::Counting, "", ""},
        {SessionKind::X11, ServiceState::NotAnswering, kRecordNone, PickedSource::XRecord,
         CaptureHealth::NotCounting, "no X display", ""},
        // The service counts: its counts, with the word on what distances are then.
        {SessionKind::Wayland, ServiceState::Counting, kRecordPartly, PickedSource::Service,
         CaptureHealth::Counting, "1000 counts an inch", ""},
        {SessionKind::Wayland, ServiceState::Counting, kRecordNone, PickedSource::Service,
         CaptureHealth::Counting, "hand's travel", ""},
        // Another session in front: nothing is counted for anyone, X11 programs included.
        {SessionKind::Wayland, ServiceState::SessionInactive, kRecordPartly, PickedSource::Service,
         CaptureHealth::NotCounting, "another session is in front", "session inactive or locked"},
        // No service: the X11 programs, and how to get everything.
        {SessionKind::Wayland, ServiceState::NotAnswering, kRecordPartly, PickedSource::XRecord,
         CaptureHealth::PartlyCounting, "install the tavrel package", ""},
        {SessionKind::Wayland, ServiceState::NotAnswering, kRecordNone, PickedSource::XRecord,
         CaptureHealth::NotCounting, "Install the tavrel package", "install the tavrel package"},
        {SessionKind::Wayland, ServiceState::Lost, kRecordPartly, PickedSource::XRecord,
         CaptureHealth::PartlyCounting, "stopped answering", "input service lost"},
        {SessionKind::Wayland, ServiceState::Lost, kRecordNone, PickedSource::XRecord,
         CaptureHealth::NotCounting, "stopped answering", "input service lost"},
        {SessionKind::Wayland, ServiceState::Incompatible, kRecordPartly, PickedSource::XRecord,
         CaptureHealth::PartlyCounting, "another version", "version differs"},
        {SessionKind::Wayland, ServiceState::NotSeatUser, kRecordPartly, PickedSource::XRecord,
         CaptureHealth::PartlyCounting, "only for the user at this computer", "seat's user"},
        {SessionKind::Wayland, ServiceState::NotSeatUser, kRecordNone, PickedSource::XRecord,
         CaptureHealth::NotCounting, "only for the user at this computer", "seat's user"},
        {SessionKind::Wayland, ServiceState::NoDevices, kRecordPartly, PickedSource::XRecord,
         CaptureHealth::PartlyCounting, "no keyboard or mouse", "no keyboard or mouse"},
        {SessionKind::Wayland, ServiceState::NoDevices, kRecordNone, PickedSource::XRecord,
         CaptureHealth::NotCounting, "no keyboard or mouse", "no keyboard or mouse"},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(row++));
        const SourcePick pick = PickSource(c.session, c.service, c.xRecord);
        EXPECT_EQ(pick.source, c.source);
        EXPECT_EQ(pick.status.health, c.health);
        EXPECT_TRUE(Contains(pick.status.reason, c.reasonHas)) << pick.status.reason;
        EXPECT_TRUE(Contains(pick.status.brief, c.briefHas)) << pick.status.brief;
        // Never silent: whatever is not counted fully is said in the window.
        if (c.health != CaptureHealth::Counting) {
            EXPECT_STRNE(pick.status.reason, "");
        }
        // The note fits the tip: "Tavrel : 12345 (" and ")" around it in 64 characters.
        EXPECT_LE(std::strlen(pick.status.brief), 44u) << pick.status.brief;
    }
}

}  // namespace
}  // namespace tavrel
