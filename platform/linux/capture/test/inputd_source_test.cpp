// SPDX-License-Identifier: GPL-3.0-or-later
// The client against a fake service on a socket of the test's own.
#include "tavrel/inputd_source.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tavrel/picking_source.h"

namespace tavrel {
namespace {

using namespace std::chrono_literals;
using inputd::Reply;
using inputd::Request;

// What the fake does with one request: the bytes it sends back (in pieces, if several),
// then whether it hangs up.
struct Answer {
    std::vector<std::vector<unsigned char>> pieces;
    bool hangUp = false;
};

std::vector<unsigned char> Bytes(const Reply& reply) {
    const auto* p = reinterpret_cast<const unsigned char*>(&reply);
    return {p, p + sizeof reply};
}

Answer Counts(MDTAG counts) {
    Reply reply;
    reply.counts = counts;
    return {{Bytes(reply)}};
}

Answer Refusal(inputd::Status status) {
    Reply reply;
    reply.status = status;
    return {{Bytes(reply)}};
}

class FakeService {
  public:
    // answer(n, request) for the n-th request of all connections.
    explicit FakeService(std::string path, std::function<Answer(int, const Request&)> answer)
        : path_(std::move(path)), answer_(std::move(answer)) {
        unlink(path_.c_str());
        listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path_.c_str());
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(listener_, 4), 0);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeService() {
        stopping_ = true;
        shutdown(listener_, SHUT_RDWR);
        const int client = client_.load();
        if (client >= 0) shutdown(client, SHUT_RDWR);
        thread_.join();
        close(listener_);
        unlink(path_.c_str());
    }

    std::vector<Request> requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    int connections() const { return connections_; }

  private:
    void Serve() {
        while (!stopping_) {
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0) return;
            client_ = fd;
            ++connections_;
            Request request;
            while (recv(fd, &request, sizeof request, MSG_WAITALL) ==
                   static_cast<ssize_t>(sizeof request)) {
                int n;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    requests_.push_back(request);
                    n = static_cast<int>(requests_.size());
                }
                const Answer answer = answer_(n, request);
                for (const auto& piece : answer.pieces) {
                    send(fd, piece.data(), piece.size(), MSG_NOSIGNAL);
                    std::this_thread::sleep_for(20ms);
                }
                if (answer.hangUp) break;
            }
            client_ = -1;
            close(fd);
        }
    }

    std::string path_;
    std::function<Answer(int, const Request&)> answer_;
    int listener_ = -1;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::atomic<int> client_{-1};
    std::mutex mutex_;
    std::vector<Request> requests_;
};

std::string TestSocket(const char* name) {
    return "/tmp/tavrel-inputd-test-" + std::to_string(getpid()) + "-" + name;
}

// Ticks every 5 ms until the condition holds or 3 s pass; what all those ticks took.
MDTAG TickUntil(ActivitySource& source, const std::function<bool(const MDTAG&)>& done) {
    MDTAG total{};
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < deadline) {
        MDTAG record{};
        source.Take(record);
        total.moveDistance += record.moveDistance;
        total.dragDistance += record.dragDistance;
        total.clicks += record.clicks;
        total.doubleClicks += record.doubleClicks;
        total.keys += record.keys;
        if (done(total)) break;
        std::this_thread::sleep_for(5ms);
    }
    return total;
}

TEST(InputdActivitySource, CountsArriveOneRequestAtATimeWithTheDoubleClickTime) {
    const std::string path = TestSocket("counts");
    FakeService service(path, [](int, const Request&) { return Counts({500, 30, 1, 0, 2}); });
    InputdActivitySource source(430, path);
    EXPECT_EQ(source.Start().health, CaptureHealth::Counting);
    EXPECT_EQ(source.state(), ServiceState::Counting);

    const MDTAG total = TickUntil(source, [](const MDTAG& t) { return t.keys >= 8; });
    EXPECT_EQ(total.keys, 8);
    EXPECT_FLOAT_EQ(total.moveDistance, 2000.0f);
    EXPECT_FLOAT_EQ(total.dragDistance, 120.0f);
    EXPECT_EQ(total.clicks, 4);

    // The answer Start waited for comes with the first tick; each of the four was asked for
    // once, and every request is a well-formed Take.
    const std::vector<Request> requests = service.requests();
    ASSERT_GE(requests.size(), 4u);
    EXPECT_LE(requests.size(), 5u);  // at most the one in flight beyond them
    for (const Request& r : requests) {
        EXPECT_EQ(r.magic, inputd::kMagic);
        EXPECT_EQ(r.kind, inputd::RequestKind::Take);
        EXPECT_EQ(r.doubleClickMs, 430u);
    }
}

TEST(InputdActivitySource, EachAnswerOfTheServiceGivesItsStateAndNoCountsUnlessCounting) {
    Reply nan;
    nan.counts.moveDistance = std::nanf("");
    Reply wrongMagic;
    wrongMagic.magic = 0x12345678u;
    Reply unknown;
    unknown.status = static_cast<inputd::Status>(99);
    Reply refusalWithCounts;
    refusalWithCounts.status = inputd::Status::SessionInactive;
    refusalWithCounts.counts.keys = 7;
    struct Case {
        const char* name;
        Answer answer;
        ServiceState state;
        CaptureHealth health;
    } cases[] = {
        {"inactive",
         {{Bytes(refusalWithCounts)}},
         ServiceState::SessionInactive,
         CaptureHealth::NotCounting},
        {"notseat", Refusal(inputd::Status::NotSeatUser), ServiceState::NotSeatUser,
         CaptureHealth::NotCounting},
        {"nodevices", Refusal(inputd::Status::NoDevices), ServiceState::NoDevices,
         CaptureHealth::NotCounting},
        {"badrequest", Refusal(inputd::Status::BadRequest), ServiceState::Incompatible,
         CaptureHealth::NotCounting},
        {"unknown", {{Bytes(unknown)}}, ServiceState::Incompatible, CaptureHealth::NotCounting},
        {"magic", {{Bytes(wrongMagic)}}, ServiceState::Incompatible, CaptureHealth::NotCounting},
        {"nan", {{Bytes(nan)}}, ServiceState::Incompatible, CaptureHealth::NotCounting},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = TestSocket(c.name);
        const Answer counting = Counts({0, 0, 0, 0, 0});
        // The first answer at Start counts; every later one is the case's.
        FakeService service(path,
                            [&](int n, const Request&) { return n == 1 ? counting : c.answer; });
        InputdActivitySource source(500, path);
        ASSERT_EQ(source.Start().health, CaptureHealth::Counting);
        const MDTAG total =
            TickUntil(source, [&](const MDTAG&) { return source.state() == c.state; });
        EXPECT_EQ(source.state(), c.state);
        EXPECT_EQ(source.Status().health, c.health);
        EXPECT_STRNE(source.Status().reason, "");
        EXPECT_EQ(total.keys, 0);
        EXPECT_EQ(total.moveDistance, 0.0f);
    }
}

TEST(InputdActivitySource, AServiceThatAppearsLaterOrComesBackIsFoundWithinASecondOrTwo) {
    const std::string path = TestSocket("later");
    InputdActivitySource source(500, path);
    EXPECT_EQ(source.Start().health, CaptureHealth::NotCounting);
    EXPECT_EQ(source.state(), ServiceState::NotAnswering);
    {
        // The first connection hangs up after its first answer.
        FakeService service(path, [](int n, const Request&) {
            Answer a = Counts({0, 0, 0, 0, 1});
            a.hangUp = n == 1;
            return a;
        });
        TickUntil(source, [&](const MDTAG& t) { return t.keys >= 1; });
        EXPECT_EQ(source.state(), ServiceState::Counting);
        const MDTAG total = TickUntil(source, [&](const MDTAG& t) { return t.keys >= 2; });
        EXPECT_EQ(total.keys, 2);
        EXPECT_EQ(service.connections(), 2);
    }
    // Gone for good: it said it counted, so now it is lost.
    TickUntil(source, [&](const MDTAG&) { return source.state() == ServiceState::Lost; });
    EXPECT_EQ(source.state(), ServiceState::Lost);
}

TEST(InputdActivitySource, AReplyInPiecesIsPutTogetherAndASilentServiceNeverBlocksATick) {
    const std::string path = TestSocket("pieces");
    const std::vector<unsigned char> whole = Bytes([] {
        Reply r;
        r.counts.keys = 3;
        return r;
    }());
    FakeService service(path, [&](int n, const Request&) {
        if (n >= 3) {
            std::this_thread::sleep_for(1500ms);  // then no answer at all
            return Answer{};
        }
        return Answer{{{whole.begin(), whole.begin() + 5}, {whole.begin() + 5, whole.end()}}};
    });
    InputdActivitySource source(500, path, 1000ms);
    ASSERT_EQ(source.Start().health, CaptureHealth::Counting);
    const MDTAG total = TickUntil(source, [](const MDTAG& t) { return t.keys >= 3; });
    EXPECT_EQ(total.keys, 3);

    // The third request goes unanswered: no tick waits for it.
    for (int i = 0; i < 20; ++i) {
        const auto before = std::chrono::steady_clock::now();
        MDTAG record{};
        source.Take(record);
        EXPECT_LT(std::chrono::steady_clock::now() - before, 5ms);
        std::this_thread::sleep_for(10ms);
    }
}

struct CountedWake final : WakeTarget {
    void Wake() override { ++wakes; }
    std::atomic<int> wakes{0};
};

// Arms once the reply to the last Take is in (a tick or two); false if it never is.
bool ArmSoon(ActivitySource& source, WakeTarget& target) {
    for (int i = 0; i < 200; ++i) {
        if (source.ArmWake(target)) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

TEST(InputdActivitySource, AWaitSleepsUntilTheServiceHasSomethingAndWakesOnce) {
    const std::string path = TestSocket("wait");
    FakeService service(path, [](int, const Request& r) {
        if (r.kind != inputd::RequestKind::Wait) return Counts({});
        std::this_thread::sleep_for(300ms);  // the service holds it until a key comes
        return Counts({0, 0, 0, 0, 3});
    });
    InputdActivitySource source(500, path);
    ASSERT_EQ(source.Start().health, CaptureHealth::Counting);
    MDTAG record{};
    source.Take(record);
    CountedWake wake;
    ASSERT_TRUE(ArmSoon(source, wake));
    EXPECT_FALSE(source.ArmWake(wake)) << "one watch at a time";
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(wake.wakes, 0) << "woken before the service said anything";
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (wake.wakes == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(wake.wakes, 1);
    // The tick after the wake-up hands in the Wait's counts, and asking goes on as before.
    const MDTAG total = TickUntil(source, [](const MDTAG& t) { return t.keys >= 3; });
    EXPECT_EQ(total.keys, 3);
    EXPECT_EQ(source.state(), ServiceState::Counting);
    int waits = 0;
    for (const Request& r : service.requests()) {
        EXPECT_EQ(r.magic, inputd::kMagic);
        waits += r.kind == inputd::RequestKind::Wait;
    }
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(wake.wakes, 1) << "one wake-up, not one per reply";
    // A watch still open when the source stops ends with it.
    ASSERT_TRUE(ArmSoon(source, wake));
    source.Stop();
}

TEST(InputdActivitySource, AnOlderServiceIsToldApartAndNamedInPlainWords) {
    const std::string path = TestSocket("older");
    FakeService service(path, [](int, const Request& r) {
        // A service that knows version 1 only: another magic is a bad request, and it hangs up.
        Reply reply;
        reply.magic = inputd::kMagicV1;
        reply.status =
            r.magic == inputd::kMagicV1 ? inputd::Status::Counting : inputd::Status::BadRequest;
        return Answer{{Bytes(reply)}, reply.status == inputd::Status::BadRequest};
    });
    InputdActivitySource source(500, path);
    EXPECT_EQ(source.Start().health, CaptureHealth::NotCounting);
    EXPECT_EQ(source.state(), ServiceState::Incompatible);
    EXPECT_NE(std::strstr(source.Status().reason, "another version"), nullptr);
    for (const Request& r : service.requests()) EXPECT_EQ(r.magic, inputd::kMagic);
}

TEST(PickingActivitySource, InAWaylandSessionTheServiceCountsWhileItCanElseXRecord) {
    struct FixedSource final : ActivitySource {
        CaptureStatus status{CaptureHealth::PartlyCounting, "x"};
        CaptureStatus Start() override { return status; }
        void Stop() override {}
        void Take(MDTAG& record) override { record = MDTAG{1, 0, 0, 0, 100}; }
        CaptureStatus Status() override { return status; }
    } xRecord;
    const std::string path = TestSocket("picking");
    std::atomic<bool> refuse{false};
    FakeService service(path, [&](int, const Request&) {
        return refuse ? Refusal(inputd::Status::NotSeatUser) : Counts({0, 0, 0, 0, 1});
    });
    InputdActivitySource client(500, path);
    PickingActivitySource picking(SessionKind::Wayland, xRecord, client);
    EXPECT_EQ(picking.Start().health, CaptureHealth::Counting);

    // Counting: only the service's keys, never X RECORD's as well.
    MDTAG total = TickUntil(picking, [](const MDTAG& t) { return t.keys >= 3; });
    EXPECT_EQ(total.keys, 3);
    EXPECT_EQ(picking.picked(), PickedSource::Service);

    refuse = true;
    TickUntil(picking, [&](const MDTAG&) { return picking.picked() == PickedSource::XRecord; });
    EXPECT_EQ(picking.Status().health, CaptureHealth::PartlyCounting);
    EXPECT_NE(std::strstr(picking.Status().reason, "only for the user"), nullptr);
    MDTAG record{};
    picking.Take(record);
    EXPECT_EQ(record.keys, 100);  // X RECORD's alone

    // Under X11 the service is not even asked.
    const auto asked = service.requests().size();
    PickingActivitySource x11(SessionKind::X11, xRecord, client);
    client.Stop();
    x11.Start();
    x11.Take(record);
    EXPECT_EQ(record.keys, 100);
    EXPECT_EQ(service.requests().size(), asked);
}

}  // namespace
}  // namespace tavrel
