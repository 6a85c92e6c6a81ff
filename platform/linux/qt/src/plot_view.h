// SPDX-License-Identifier: GPL-3.0-or-later
// A widget that shows one chart: it asks its builder for a scene of its own size whenever
// that changes, and has the plot painter draw it.
#pragma once

#include <functional>

#include <QRectF>
#include <QWidget>

#include "tavrel/plot_scene.h"

namespace tavrel::linux_qt {

class PlotView final : public QWidget {
  public:
    using Builder = std::function<PlotScene(PlotSize)>;

    explicit PlotView(QWidget* parent);

    void SetBuilder(Builder builder);
    // Asks the builder again: what it builds from has changed.
    void Rebuild();
    const PlotScene& scene() const { return scene_; }
    // Widget pixels per unit of the scene (1/96 inch).
    double scale() const;
    // A rectangle of the scene in widget pixels.
    QRectF ToWidget(const PlotRect& rect) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    Builder builder_;
    PlotScene scene_;
};

}  // namespace tavrel::linux_qt
