// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the response graph through two off-screen surfaces:
//   Base       - the skin background, the grid and the unselected band curves, redrawn when
//                bands change;
//   Composite  - the finished frame: Base, the selected curve and fill, the sum, markers, texts.
// A frame repaints only what differs from the last one (graph/graph_damage.h): a drag copies
// Base and redraws the curves inside the pieces the moving band and the sum sweep, then the
// markers and texts there, each once; a frame equal to the last one is not presented at all. Changes of Base (another
// selection, a page, a size) repaint everything.
//
// UI thread only. The model and the view refer to each other: the view draws what the model
// holds, the model asks the view (as its GraphCanvas) to redraw.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QImage>
#include <QSize>

#include "graph/curve_raster.h"
#include "graph/graph_damage.h"
#include "graph/graph_hooks.h"
#include "graph/graph_overlay.h"
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

  // The finished frame; valid after ResizeGraph. The presenter, when set, receives the
  // rectangles of Composite that changed at the end of every DrawGraph that changed any (the
  // window copies those to the screen).
  const QImage& Composite() const { return composite_.image; }
  const QImage& Base() const { return base_.image; }
  // The skin background and the grid alone, drawn anew (no surface keeps them).
  QImage Background() const;
  using Presenter = std::function<void(const std::vector<QRect>& changed)>;
  void SetPresenter(Presenter presenter) { presenter_ = std::move(presenter); }
  // The frame DrawGraph would show, drawn whole into a new image (Composite is not touched).
  QImage RenderWhole() const;
  // The phase curve's name in the legend (the window's language).
  std::string phaseLabel = "Phase";
  // How the grid's and the band text's fixed words read in the window's language ("OFF" for a
  // filter switched off, "1KHz" of the frequency axis); a word not listed reads as it is.
  std::map<std::string, std::string> shownWords;

 private:
  std::string Shown(const std::string& word) const;
  void DrawGrid(QPainter& g) const;
  void DrawComparisons(QPainter& g) const;
  void DrawPhase(QPainter& g, int first, int last) const;
  // Points first..last (inclusive) of a curve given by its points' pixel ys.
  void DrawCurve(QPainter& g, const std::vector<float>& y, int first, int last, const QColor& colour, int width) const;
  // A frame to draw: its scene (what the damage is computed from) and the overlay's layout.
  struct Frame {
    GraphScene scene;
    std::vector<MarkerDraw> markers;
    std::vector<GraphText> texts;
    bool bypass = false;
  };
  Frame BuildFrame() const;
  // The frame inside `pieces` (rectangles that do not overlap).
  void PaintFrame(QPainter& g, const Frame& frame, const std::vector<QRect>& pieces) const;
  // Base and the curves inside `area`; into `pixels` when given (the painter's own pixels,
  // written straight), else through the painter.
  void PaintCurves(QPainter& g, const PixelBuffer* pixels, const GraphScene& scene, const QRect& area) const;

  ResponseModel& model_;
  skin::Surface base_;
  skin::Surface composite_;
  Presenter presenter_;
  GraphScene shown_;         // what Composite holds
  bool frameValid_ = false;  // false: Composite must be drawn whole
};

}  // namespace mirelune
