// SPDX-License-Identifier: GPL-3.0-or-later
// The capture end to end: xdotool drives the X server on $DISPLAY, X RECORD reports it, and
// the records taken must hold what the hooks would have counted on Windows.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <thread>

#include "tavrel/x_record_source.h"

namespace tavrel {
namespace {

using namespace std::chrono_literals;

struct Totals {
    double moveDistance = 0, dragDistance = 0;
    int clicks = 0, doubleClicks = 0, keys = 0;
};

void Xdotool(const std::string& commands) {
    ASSERT_EQ(std::system(("xdotool " + commands).c_str()), 0) << commands;
}

// Takes records until `done` holds for their sum, or 5 s have passed.
Totals TakeUntil(ActivitySource& source, const std::function<bool(const Totals&)>& done) {
    Totals sum;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done(sum) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
        MDTAG r{};
        source.Take(r);
        sum.moveDistance += r.moveDistance;
        sum.dragDistance += r.dragDistance;
        sum.clicks += r.clicks;
        sum.doubleClicks += r.doubleClicks;
        sum.keys += r.keys;
    }
    return sum;
}

// Runs the commands, which leave the pointer at (x, y), then moves it by (3, 4) as a marker:
// X RECORD keeps the order, so once the marker's 5 pixels are in, everything before it is
// too. `alsoMoved` is the move distance the commands add. Returns the totals without the
// marker, and the pointer's new place in (x, y).
Totals Counted(ActivitySource& source, const std::string& commands, int& x, int& y,
               double alsoMoved = 0) {
    x += 3;
    y += 4;
    Xdotool(commands + " mousemove " + std::to_string(x) + " " + std::to_string(y));
    const double expected = alsoMoved + 5;
    Totals t = TakeUntil(source, [&](const Totals& s) { return s.moveDistance >= expected; });
    EXPECT_GE(t.moveDistance, expected) << "the marker move never arrived";
    t.moveDistance -= 5;
    return t;
}

// Sets an environment variable for one scope, then puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        if (old != nullptr) {
            old_ = old;
            hadOld_ = true;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (hadOld_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::string old_;
    bool hadOld_ = false;
};

TEST(XRecordCaptureTest, CountsInputAsTheHooksWould) {
    ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv x11Session("XDG_SESSION_TYPE", "x11");
    // Away from (300, 400) before counting starts: the first move must be a real one.
    Xdotool("mousemove 20 30");
    XRecordActivitySource source(500, 2);
    const CaptureStatus status = source.Start();
    ASSERT_EQ(status.health, CaptureHealth::Counting) << status.reason;

    int x = 300, y = 400;
    // Nothing seen yet stands at (0, 0), as in a process whose hook saw no move.
    Totals t = Counted(source, "mousemove 300 400", x, y, 500);
    EXPECT_EQ(t.moveDistance, 500.0);
    EXPECT_EQ(t.dragDistance, 0.0);

    x = 303;
    y = 504;
    t = Counted(source, "mousedown 1 mousemove 303 504 mouseup 1", x, y);
    EXPECT_EQ(t.dragDistance, 100.0);
    EXPECT_EQ(t.moveDistance, 0.0);
    EXPECT_EQ(t.clicks, 1);

    t = Counted(source, "click --repeat 2 --delay 80 1", x, y);
    EXPECT_EQ(t.clicks, 0);
    EXPECT_EQ(t.doubleClicks, 1);

    t = Counted(source, "click --repeat 2 --delay 700 3", x, y);
    EXPECT_EQ(t.clicks, 2) << "700 ms apart is too slow for a double-click";
    EXPECT_EQ(t.doubleClicks, 0);

    t = Counted(source, "key a", x, y);
    EXPECT_EQ(t.keys, 1);

    // X repeats the held key (Xvfb: after 660 ms, then every 40 ms): repeats + release.
    t = Counted(source, "keydown a sleep 1 keyup a", x, y);
    EXPECT_GT(t.keys, 1);
    EXPECT_LT(t.keys, 100);

    t = Counted(source, "click 4 click 5 click 6 click 7 click 8 click 9", x, y);
    EXPECT_EQ(t.clicks, 0);
    EXPECT_EQ(t.doubleClicks, 0);
    EXPECT_EQ(t.dragDistance, 0.0);
    EXPECT_EQ(t.moveDistance, 0.0);

    const auto before = std::chrono::steady_clock::now();
    source.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_EQ(source.Status().health, CaptureHealth::NotCounting);
}

TEST(XRecordCaptureTest, SaysInPlainWordsWhyItCannotCount) {
    struct Case {
        const char* name;
        const char* variable;
        const char* value;
        const char* reason;
    };
    const Case cases[] = {
        {"no DISPLAY", "DISPLAY", nullptr, "Tavrel is not counting: no X display."},
        {"no such display", "DISPLAY", ":9753", "Tavrel is not counting: no X display."},
        {"RECORD switched off", "TAVREL_DISABLE_RECORD", "1",
         "Tavrel is not counting: the X server has no RECORD extension."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv env(c.variable, c.value);
        XRecordActivitySource source;
        const CaptureStatus started = source.Start();
        EXPECT_EQ(started.health, CaptureHealth::NotCounting);
        EXPECT_STREQ(started.reason, c.reason);
        EXPECT_STREQ(source.Status().reason, c.reason);
        MDTAG r{1, 1, 1, 1, 1};
        source.Take(r);
        EXPECT_EQ(r.keys, 0);
        source.Stop();
    }
}

TEST(XRecordCaptureTest, InAWaylandSessionCountsWhatReachesX) {
    for (const char* variable : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
        SCOPED_TRACE(variable);
        ScopedEnv wayland(variable,
                          std::strcmp(variable, "WAYLAND_DISPLAY") == 0 ? "wayland-0" : "wayland");
        Xdotool("mousemove 0 0");
        XRecordActivitySource source;
        const CaptureStatus status = source.Start();
        EXPECT_EQ(status.health, CaptureHealth::PartlyCounting);
        EXPECT_STREQ(status.reason,
                     "Tavrel counts only the input of X11 programs in this Wayland session.");
        int x = 0, y = 0;
        EXPECT_EQ(Counted(source, "", x, y).clicks, 0);  // the marker came through
    }
}

// An X server of the test's own, on a free display number.
class PrivateXServer {
  public:
    PrivateXServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The number comes once the server is ready, ended by a newline that may come in a
        // write of its own: Xvfb gives up if the pipe is closed before that.
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~PrivateXServer() { Kill(); }
    const std::string& Display() const { return display_; }
    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);  // lets it remove its lock file and socket
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

TEST(XRecordCaptureTest, LostServerEndsTheCaptureWithoutSpinningOrHanging) {
    PrivateXServer server;
    ASSERT_FALSE(server.Display().empty()) << "could not start Xvfb";
    ScopedEnv display("DISPLAY", server.Display().c_str());
    ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv x11Session("XDG_SESSION_TYPE", "x11");
    XRecordActivitySource source;
    ASSERT_EQ(source.Start().health, CaptureHealth::Counting);

    server.Kill();
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (source.Status().health != CaptureHealth::NotCounting &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(source.Status().health, CaptureHealth::NotCounting);
    EXPECT_STREQ(source.Status().reason,
                 "Tavrel is not counting: the connection to the X display was lost.");

    const double cpuBefore = ProcessCpuSeconds();
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(ProcessCpuSeconds() - cpuBefore, 0.05) << "the capture thread spins";

    const auto before = std::chrono::steady_clock::now();
    source.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
}

}  // namespace
}  // namespace tavrel

int main(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') {
        std::puts("skipped: no DISPLAY to record");
        return 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
