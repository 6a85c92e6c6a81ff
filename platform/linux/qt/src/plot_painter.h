// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a plot scene with QPainter: the background, then the scene's spans, bars, lines,
// polylines and labels in that order, in the colours DefaultRgb gives. It decides nothing of
// what is shown; the core's views do.
#pragma once

#include <QColor>

#include "tavrel/plot_scene.h"

class QPainter;

namespace tavrel::linux_qt {

QColor InkColor(Ink ink);

// `scale` device pixels of the painter per unit of the scene (1/96 inch): the widget's
// logical dots per inch over 96.
void PaintPlotScene(QPainter& painter, const PlotScene& scene, double scale);

}  // namespace tavrel::linux_qt
