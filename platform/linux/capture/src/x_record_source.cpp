// SPDX-License-Identifier: GPL-3.0-or-later
// X RECORD capture: a data connection blocked in XRecordEnableContext on its own thread,
// a control connection that creates the context and ends the recording.
#include "tavrel/x_record_source.h"

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

// After the project's headers: Xlib's macros (KeyPress, Status, ...) would otherwise rename
// what they declare.
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#undef Status  // Xlib's macro for int; the name is ActivitySource's

namespace tavrel {
namespace {

constexpr const char* kNotStarted = "Tavrel is not counting: input capture is not running.";
constexpr const char* kNoDisplay = "Tavrel is not counting: no X display.";
constexpr const char* kNoRecord = "Tavrel is not counting: the X server has no RECORD extension.";
constexpr const char* kRecordRefused = "Tavrel is not counting: the X server refused to record.";
constexpr const char* kWayland =
    "Tavrel counts only the input of X11 programs in this Wayland session.";
constexpr const char* kConnectionLost =
    "Tavrel is not counting: the connection to the X display was lost.";

bool EnvIs(const char* name, const char* value) {
    const char* v = std::getenv(name);
    return v != nullptr && std::strcmp(v, value) == 0;
}

bool EnvSet(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && v[0] != '\0';
}

bool WaylandSession() {
    return EnvSet("WAYLAND_DISPLAY") || EnvIs("XDG_SESSION_TYPE", "wayland");
}

bool HasRecord(Display* display) {
    int opcode = 0, event = 0, error = 0;
    int major = 0, minor = 0;
    return XQueryExtension(display, "RECORD", &opcode, &event, &error) &&
           XRecordQueryVersion(display, &major, &minor);
}

// Xlib's default handler for a broken connection ends the process before the display's own
// exit handler (OnConnectionLost) can run; only a handler that returns lets it. The
// connections of this source are registered here; every other display of the process is
// passed on to the handler that was there before.
std::atomic<Display*> ownDisplays[16];
XIOErrorHandler previousIOErrorHandler = nullptr;

bool IsOwn(Display* display) {
    for (const auto& slot : ownDisplays) {
        if (slot.load() == display) return true;
    }
    return false;
}

// With every slot taken (16 connections, 8 sources) a connection goes unregistered and a lost
// server ends the process, as it does without this source.
void Register(Display* display) {
    for (auto& slot : ownDisplays) {
        Display* empty = nullptr;
        if (slot.compare_exchange_strong(empty, display)) return;
    }
}

void Unregister(Display* display) {
    for (auto& slot : ownDisplays) {
        Display* own = display;
        slot.compare_exchange_strong(own, nullptr);
    }
}

int OnIOError(Display* display) {
    if (IsOwn(display) || previousIOErrorHandler == nullptr) return 0;
    return previousIOErrorHandler(display);
}

// Opens a connection that reports its loss to the source instead of ending the process.
Display* OpenDisplay(XIOErrorExitHandler onLost, void* source) {
    static std::once_flag installed;
    std::call_once(installed, [] { previousIOErrorHandler = XSetIOErrorHandler(&OnIOError); });
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    Register(display);
    XSetIOErrorExitHandler(display, onLost, source);
    return display;
}

// A connection that broke is not closed: after a break inside XRecordEnableContext, Xlib's
// lock of that display stays taken and XCloseDisplay waits for it forever. Its socket is
// closed and the few bytes of the Display are left behind.
void CloseDisplay(Display* display, bool broken) {
    if (display == nullptr) return;
    if (broken) {
        close(ConnectionNumber(display));
    } else {
        XCloseDisplay(display);
    }
    Unregister(display);
}

}  // namespace

struct XRecordCallbacks {
    // One intercepted block from the server. Device events are whole protocol events.
    static void OnIntercept(XPointer closure, XRecordInterceptData* data) {
        auto* source = reinterpret_cast<XRecordActivitySource*>(closure);
        if (data->category == XRecordStartOfData) source->SignalRecording();
        if (data->category == XRecordFromServer &&
            data->data_len * 4u >= static_cast<unsigned long>(sizeof(xEvent))) {
            xEvent event;
            std::memcpy(&event, data->data, sizeof event);
            const hooks::XDeviceEvent translated{
                static_cast<std::uint8_t>(event.u.u.type & 0x7F),  // without the sent-event bit
                event.u.u.detail,
                event.u.keyButtonPointer.rootX,
                event.u.keyButtonPointer.rootY,
                static_cast<std::uint32_t>(event.u.keyButtonPointer.time),
            };
            source->translator_.Translate(translated);
            source->wake_.Notify();
        }
        XRecordFreeData(data);
    }

    // Xlib calls this instead of ending the process when a connection breaks; it then marks
    // the display broken and every further call on it returns at once.
    static void OnConnectionLost(Display* display, void* closure) {
        auto* source = static_cast<XRecordActivitySource*>(closure);
        if (display == source->data_) source->dataBroken_.store(true);
        if (display == source->control_) source->controlBroken_.store(true);
    }
};

XRecordActivitySource::XRecordActivitySource(std::uint32_t doubleClickMs,
                                             std::int32_t doubleClickDistance)
    : translator_(block_, hooks::DoubleClickLimits{doubleClickMs, doubleClickDistance,
                                                   doubleClickDistance}),
      started_{CaptureHealth::NotCounting, kNotStarted} {}

XRecordActivitySource::~XRecordActivitySource() {
    Stop();
}

CaptureStatus XRecordActivitySource::Start() {
    if (thread_.joinable()) return Status();
    stopping_.store(false);
    dataLost_.store(false);
    dataBroken_.store(false);
    controlBroken_.store(false);
    started_ = {CaptureHealth::NotCounting, kNoDisplay};
    if (!EnvSet("DISPLAY")) return started_;

    // The two connections are used by two threads.
    XInitThreads();
    control_ = OpenDisplay(&XRecordCallbacks::OnConnectionLost, this);
    if (control_ == nullptr) return started_;

    started_.reason = kNoRecord;
    if (EnvIs("TAVREL_DISABLE_RECORD", "1") || !HasRecord(control_)) {
        CloseConnections();
        return started_;
    }

    data_ = OpenDisplay(&XRecordCallbacks::OnConnectionLost, this);
    if (data_ == nullptr) {
        CloseConnections();
        started_.reason = kNoDisplay;
        return started_;
    }

    XRecordClientSpec clients = XRecordAllClients;
    XRecordRange* range = XRecordAllocRange();
    if (range != nullptr) {
        range->device_events.first = KeyPress;
        range->device_events.last = MotionNotify;
        context_ = XRecordCreateContext(control_, 0, &clients, 1, &range, 1);
        XFree(range);
    }
    // The data connection enables the context: it must exist on the server first.
    XSync(control_, False);
    if (context_ == 0 || controlBroken_.load()) {
        CloseConnections();
        started_.reason = kRecordRefused;
        return started_;
    }

    block_ = hooks::ActivityBlock{};  // a fresh start, as InitHooks clears the record
    recordingSignalled_ = false;
    thread_ = std::thread(&XRecordActivitySource::Record, this);
    {
        std::unique_lock<std::mutex> lock(recordingMutex_);
        recordingBegun_.wait_for(lock, std::chrono::seconds(2),
                                 [this] { return recordingSignalled_; });
    }
    if (dataLost_.load()) {  // the server would not enable the context
        thread_.join();
        CloseConnections();
        started_.reason = kRecordRefused;
        return started_;
    }
    started_ = WaylandSession() ? CaptureStatus{CaptureHealth::PartlyCounting, kWayland}
                                : CaptureStatus{CaptureHealth::Counting, ""};
    return started_;
}

void XRecordActivitySource::Record() {
    // Blocks, calling OnIntercept for each event, until the control connection disables the
    // context, the server refuses, or the connection breaks. It returns in every case, so
    // the thread ends and never spins.
    XRecordEnableContext(data_, context_, &XRecordCallbacks::OnIntercept,
                         reinterpret_cast<XPointer>(this));
    if (!stopping_.load()) dataLost_.store(true);
    wake_.Notify();     // a program at rest must hear that counting has ended
    SignalRecording();  // Start may still be waiting for a recording that never began
}

void XRecordActivitySource::SignalRecording() {
    {
        std::lock_guard<std::mutex> lock(recordingMutex_);
        recordingSignalled_ = true;
    }
    recordingBegun_.notify_all();
}

void XRecordActivitySource::Stop() {
    if (thread_.joinable()) {
        stopping_.store(true);
        if (!controlBroken_.load()) {
            XRecordDisableContext(control_, context_);
            XSync(control_, False);
        }
        // Without a control connection nothing tells the server to stop sending; shutting
        // the data socket down ends the blocked read instead.
        if (controlBroken_.load()) shutdown(ConnectionNumber(data_), SHUT_RDWR);
        thread_.join();
    }
    CloseConnections();
    if (started_.health != CaptureHealth::NotCounting) {
        started_ = {CaptureHealth::NotCounting, kNotStarted};
    }
}

void XRecordActivitySource::CloseConnections() {
    if (context_ != 0 && !controlBroken_.load()) XRecordFreeContext(control_, context_);
    context_ = 0;
    CloseDisplay(data_, dataBroken_.load());
    CloseDisplay(control_, controlBroken_.load());
    data_ = nullptr;
    control_ = nullptr;
}

void XRecordActivitySource::Take(MDTAG& record) {
    hooks::GetData(block_, &record);
}

bool XRecordActivitySource::ArmWake(WakeTarget& target) {
    if (!thread_.joinable() || dataLost_.load()) return false;
    return wake_.ArmUnless(target, [this] { return hooks::ActivityWaiting(block_); });
}

CaptureStatus XRecordActivitySource::Status() {
    if (started_.health != CaptureHealth::NotCounting && dataLost_.load()) {
        return {CaptureHealth::NotCounting, kConnectionLost};
    }
    return started_;
}

}  // namespace tavrel
