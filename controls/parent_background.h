// SPDX-License-Identifier: GPL-3.0-or-later
// The background layer of a skinned control: what its parent draws under it.
#pragma once

#include <QImage>

class QWidget;

namespace mirelune {

// Renders the parent's own drawing (its background and paintEvent, not its children) under
// `control` into an image of the control's size; transparent where the parent draws nothing or
// when there is no parent. Never reads the screen, so a control never captures itself or a
// window lying over it.
QImage RenderParentBackground(const QWidget& control);

// While one of these lives, the captures above share one render of each parent: its whole
// drawing at its size of the first capture, from which every control's rectangle is copied. A
// page's strips and buttons take their layers one after the other, and rendering the panel again
// for each of them (captions and all) was most of what showing a page cost. Only for captures
// made one after another with nothing changing the parents in between; batches nest. UI thread
// only.
class ParentBackgroundBatch {
 public:
  ParentBackgroundBatch();
  ~ParentBackgroundBatch();
  ParentBackgroundBatch(const ParentBackgroundBatch&) = delete;
  ParentBackgroundBatch& operator=(const ParentBackgroundBatch&) = delete;
};

// Whether every pixel of `image` is opaque. A control that first paints such a layer over its
// whole rectangle hides what lies behind it, and may say so (Qt::WA_OpaquePaintEvent): its
// repaints then leave its parent's drawing alone.
bool FullyOpaque(const QImage& image);

// `layer`, sharing its pixels with an equal layer kept by another control (QImage shares its
// data until one is painted on). Controls of one style side by side on one panel capture equal
// layers: a page of strips keeps one copy instead of one per strip. A layer no control holds
// any more is forgotten. UI thread only.
QImage ShareEqualLayer(const QImage& layer);

// While one of these lives, a control asked for its layer before its window was ever shown
// takes it at its own first show instead (the controls call Waiting in BkGround_Init). A
// window's controls are built and asked before it shows; a render of a panel then first lays
// out and polishes the whole hidden window as if it were shown (and the graph sizes its
// surfaces for it), which the real show does again. Shown inside a ParentBackgroundBatch, the
// window's controls still share one render per band. UI thread only.
class LayersAtFirstShow {
 public:
  LayersAtFirstShow();
  ~LayersAtFirstShow();
  LayersAtFirstShow(const LayersAtFirstShow&) = delete;
  LayersAtFirstShow& operator=(const LayersAtFirstShow&) = delete;
  // Whether `control` should wait for its first show to take its layer.
  static bool Waiting(const QWidget& control);
};

}  // namespace mirelune
