#include <string>

#include "tavrel/history_views.h"
#include "tavrel/nice_ticks.h"

namespace tavrel {

namespace {

constexpr double kMetresPerInch = 0.0254;

std::string Distance(std::int64_t px, double dpi) {
    std::string text = FormatCount(px) + " px";
    if (dpi > 0) {
        text += " (" + FormatDecimal(static_cast<double>(px) / dpi * kMetresPerInch, 1) + " m)";
    }
    return text;
}

}  // namespace

std::string DayTotalsText(const DayTotals& t, double dpi) {
    return "Keys " + FormatCount(t.keys) + ", clicks " + FormatCount(t.clicks) +
           ", double-clicks " + FormatCount(t.doubleClicks) + "\nMoved " + Distance(t.movePx, dpi) +
           ", dragged " + Distance(t.dragPx, dpi) + "\nAlarms " + FormatCount(t.alarms) +
           ", active minutes " + FormatCount(t.activeMinutes);
}

}  // namespace tavrel
