// Draws the response graph through three off-screen surfaces:
//   Background - the skin background and the grid, drawn once per size;
//   Base       - Background plus the unselected band curves, redrawn when bands change;
//   Composite  - the finished frame: Base, the selected curve and fill, the sum, markers, texts.
// A drag therefore redraws only the selected band and the sum on top of one copy of Base.
//
// UI thread only. The model and the view refer to each other: the view draws what the model
// holds, the model asks the view (as its GraphCanvas) to redraw.
#pragma once

#include <functional>

#include <QImage>
#include <QSize>

#include "graph/graph_hooks.h"
#include "graph/skin.h"

namespace mirelune {

class ResponseModel;

class GraphView : public GraphCanvas {
 public:
  // Registers itself as the model's canvas.
  explicit GraphView(ResponseModel& model);
  ~GraphView() override;
  GraphView(const GraphView&) = delete;
  GraphView& operator=(const GraphView&) = delete;

  // New client size of the graph's window: geometry, surfaces, grid. Returns false when the
  // size did not change (nothing is redone). Loads the skin images on first use.
  bool ResizeGraph(QSize size);

  void DrawBase() override;
  void DrawGraph() override;

  // The finished frame; valid after ResizeGraph. The presenter, when set, receives it at the end
  // of every DrawGraph (the window copies it to the screen).
  const QImage& Composite() const { return composite_.image; }
  const QImage& Base() const { return base_.image; }
  const QImage& Background() const { return background_.image; }
  void SetPresenter(std::function<void(const QImage&)> presenter) { presenter_ = std::move(presenter); }

 private:
  void DrawGrid();
  void DrawCurve(QPainter& g, const float* row, const QColor& colour, int width) const;

  ResponseModel& model_;
  skin::Surface background_;
  skin::Surface base_;
  skin::Surface composite_;
  std::function<void(const QImage&)> presenter_;
};

}  // namespace mirelune
