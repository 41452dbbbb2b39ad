// Draws one skin image from its manifest entry. All artwork is drawn here with QPainter from
// shapes, gradients and the system's CJK font; nothing is read from elsewhere.
#pragma once

#include <QImage>

#include "tools/skingen/manifest.h"

namespace mirelune::skingen {

// A transparent ARGB image of the entry's size with the entry's role drawn on it. Throws
// std::runtime_error naming the id for a role or variant it does not know.
QImage DrawEntry(const ManifestEntry& e);

}  // namespace mirelune::skingen
