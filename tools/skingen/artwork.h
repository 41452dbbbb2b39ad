// SPDX-License-Identifier: GPL-3.0-or-later
// Draws one skin image from its manifest entry. All artwork is drawn here with QPainter from
// shapes, gradients and the system's CJK font; nothing is read from elsewhere.
#pragma once

#include <vector>

#include <QImage>
#include <QStringList>

#include "tools/skingen/manifest.h"

namespace mirelune::skingen {

enum class Language { Chinese, English };

// A transparent ARGB image of the entry's size with the entry's role drawn on it, captioned in
// `language`: English draws the English caption, fitted to the image, where the entry has one
// (HasEnglishImage), and otherwise the same image as Chinese. The English captions in
// fitTogether are measured with the entry's own, so that all of them get one size and
// narrowing (CaptionsSharingTheSize: tabs side by side do not show three sizes). Throws
// std::runtime_error naming the id for a role or variant it does not know, an English caption
// on a role that draws no words, or an English caption that cannot be made to fit.
QImage DrawEntry(const ManifestEntry& e, Language language = Language::Chinese,
                 const QStringList& fitTogether = {});

// The English captions of the entries of e's role and size (e's own included): the captions of
// one row of buttons or one option list, fitted together.
QStringList CaptionsSharingTheSize(const std::vector<ManifestEntry>& entries,
                                   const ManifestEntry& e);

}  // namespace mirelune::skingen
