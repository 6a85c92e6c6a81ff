// The tick with the listeners every program wires to it, in the order of their effects: the
// alarm and tray first, then the read-outs, and the totals last, because a failure message
// lets further ticks run inside this one.
#pragma once

#include "tavrel/activity_source.h"
#include "tavrel/alarm_presenter.h"
#include "tavrel/clock.h"
#include "tavrel/failure_notice.h"
#include "tavrel/main_window.h"
#include "tavrel/pain_model.h"
#include "tavrel/readout_panel.h"
#include "tavrel/sampling_tick.h"
#include "tavrel/settings_store.h"
#include "tavrel/totals_keeper.h"
#include "tavrel/tray.h"
#include "tavrel/window_flags.h"

namespace tavrel {

struct TickPipeline {
    // Everything passed outlives the pipeline.
    TickPipeline(Clock& clock, ActivitySource& source, PainModel& model, MainWindow& window,
                 Tray& tray, WindowFlags& flags, SettingsStore& store, FailureNotice& notice)
        : tick(clock, source, model),
          alarm(window, tray, flags),
          readouts(window, flags),
          totals(store, model, notice) {
        tick.AddListener(alarm);
        tick.AddListener(readouts);
        tick.AddListener(totals);
    }
    TickPipeline(const TickPipeline&) = delete;
    TickPipeline& operator=(const TickPipeline&) = delete;

    SamplingTick tick;
    AlarmPresenter alarm;
    ReadoutPanel readouts;
    TotalsKeeper totals;
};

}  // namespace tavrel
