// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/picking_source.h"

#include "tavrel/inputd_source.h"

namespace tavrel {

PickingActivitySource::PickingActivitySource(SessionKind session, ActivitySource& xRecord,
                                             InputdActivitySource& service)
    : session_(session), xRecord_(xRecord), service_(service) {}

CaptureStatus PickingActivitySource::Start() {
    xRecord_.Start();
    if (session_ == SessionKind::Wayland) service_.Start();
    Pick();
    return pick_.status;
}

void PickingActivitySource::Stop() {
    service_.Stop();
    xRecord_.Stop();
}

void PickingActivitySource::Take(MDTAG& record) {
    MDTAG fromXRecord{};
    xRecord_.Take(fromXRecord);
    if (session_ == SessionKind::X11) {
        record = fromXRecord;
        return;
    }
    MDTAG fromService{};
    service_.Take(fromService);
    // The reply read this tick decides: its counts are the service's own, and the X11
    // programs' input of the same moment is among them.
    Pick();
    record = pick_.source == PickedSource::Service ? fromService : fromXRecord;
}

bool PickingActivitySource::ArmWake(WakeTarget& target) {
    if (session_ == SessionKind::X11) return xRecord_.ArmWake(target);
    // The service sees the input of every program, X11 ones too: its wake-up is enough while
    // its counts are taken. Otherwise it may come back at any tick, so the program ticks.
    return pick_.source == PickedSource::Service && service_.ArmWake(target);
}

CaptureStatus PickingActivitySource::Status() {
    Pick();
    return pick_.status;
}

void PickingActivitySource::Pick() {
    pick_ = PickSource(session_, service_.state(), xRecord_.Status());
}

}  // namespace tavrel
