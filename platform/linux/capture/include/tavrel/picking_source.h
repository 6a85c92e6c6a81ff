// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux program's one source: X RECORD under X11; in a Wayland session the input
// service while it counts for this user, else X RECORD for the X11 programs. Both run there
// from the start, so that a service that goes away or comes back changes the source between
// two ticks without blocking either; the counts of the source not picked are dropped, so
// nothing is counted twice.
#pragma once

#include "tavrel/activity_source.h"
#include "tavrel/source_pick.h"

namespace tavrel {

class InputdActivitySource;

class PickingActivitySource final : public ActivitySource {
  public:
    // Both outlive this source.
    PickingActivitySource(SessionKind session, ActivitySource& xRecord,
                          InputdActivitySource& service);

    CaptureStatus Start() override;
    void Stop() override;
    void Take(MDTAG& record) override;
    CaptureStatus Status() override;
    // X RECORD wakes the program in an X11 session, the input service while it counts.
    bool ArmWake(WakeTarget& target) override;

    PickedSource picked() const { return pick_.source; }

  private:
    void Pick();

    SessionKind session_;
    ActivitySource& xRecord_;
    InputdActivitySource& service_;
    SourcePick pick_{PickedSource::XRecord, {}};
};

}  // namespace tavrel
