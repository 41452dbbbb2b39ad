// Draws one skin image from its manifest entry. All artwork is drawn here with QPainter from
// shapes, gradients and the system's CJK font; nothing is read from elsewhere.
#pragma once

#include <QImage>

#include "tools/skingen/manifest.h"

namespace mirelune::skingen {

enum class Language { Chinese, English };

// A transparent ARGB image of the entry's size with the entry's role drawn on it, captioned in
// `language`: English draws the English caption, fitted to the image, where the entry has one
// (HasEnglishImage), and otherwise the same image as Chinese. Throws std::runtime_error naming
// the id for a role or variant it does not know, an English caption on a role that draws no
// words, or an English caption that cannot be made to fit.
QImage DrawEntry(const ManifestEntry& e, Language language = Language::Chinese);

}  // namespace mirelune::skingen
