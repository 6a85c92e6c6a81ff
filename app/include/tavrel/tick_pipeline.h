// SPDX-License-Identifier: GPL-3.0-or-later
// The tick with the listeners every program wires to it, in the order of their effects: the
// gate that decides whether an alarm shows or is held, the alarm and tray, what the window
// says of the alarm, the read-outs, and the totals last, because a failure message lets
// further ticks run inside this one.
#pragma once

#include "tavrel/activity_source.h"
#include "tavrel/alarm_preferences.h"
#include "tavrel/alarm_presenter.h"
#include "tavrel/alarm_status.h"
#include "tavrel/clock.h"
#include "tavrel/failure_notice.h"
#include "tavrel/main_window.h"
#include "tavrel/pain_model.h"
#include "tavrel/quiet_times.h"
#include "tavrel/readout_panel.h"
#include "tavrel/sampling_tick.h"
#include "tavrel/settings_store.h"
#include "tavrel/totals_keeper.h"
#include "tavrel/tray.h"
#include "tavrel/window_flags.h"

namespace tavrel {

struct TickPipeline {
    // Everything passed outlives the pipeline; without a desktop to ask, only a pause holds
    // the alarm.
    TickPipeline(Clock& clock, ActivitySource& source, PainModel& model, MainWindow& window,
                 Tray& tray, WindowFlags& flags, SettingsStore& store, FailureNotice& notice,
                 DesktopQuiet* quiet = nullptr)
        : tick(clock, source, model),
          preferences(store, clock, notice),
          gate(preferences, quiet),
          alarm(window, tray, flags, gate, preferences),
          status(gate, preferences, model, window, flags),
          readouts(window, flags),
          totals(store, model, notice) {
        tick.AddListener(gate);
        tick.AddListener(alarm);
        tick.AddListener(status);
        tick.AddListener(readouts);
        tick.AddListener(totals);
    }
    TickPipeline(const TickPipeline&) = delete;
    TickPipeline& operator=(const TickPipeline&) = delete;

    SamplingTick tick;
    AlarmPreferences preferences;
    AlarmGate gate;
    AlarmPresenter alarm;
    AlarmStatus status;
    ReadoutPanel readouts;
    TotalsKeeper totals;
};

}  // namespace tavrel
