// SPDX-License-Identifier: GPL-3.0-or-later
// The skin manifest: which images exist, their sizes, and what each one shows.
#pragma once

#include <QString>
#include <vector>

namespace mirelune::skingen {

struct ManifestEntry {
  int id = 0;
  int width = 0;
  int height = 0;
  QString role;       // what to draw (a button, a track, a marker ...)
  QString variant;    // which state of it (normal, pressed, grey, dance, band3 ...)
  QString caption;    // Chinese text on it; "|" breaks a line
  QString captionEn;  // English text on it; empty where the caption reads the same in English
};

// The caption of the English skin. An entry has an English image of its own only when this
// differs from the Chinese caption; every other image serves both languages.
inline bool HasEnglishImage(const ManifestEntry& e) {
  return !e.captionEn.isEmpty() && e.captionEn != e.caption;
}

// True for characters of the East Asian scripts (CJK ideographs, kana, hangul, CJK and
// full-width punctuation): the characters an English caption must not contain.
bool IsCjk(QChar c);
bool ContainsCjk(const QString& text);

// Reads the tab-separated manifest; '#' lines and blank lines are skipped. A line has six
// fields, or seven with the English caption. Throws std::runtime_error naming the file and line
// for a malformed line, a size outside 1..2000, an id outside 101..394 or given twice, a caption
// with Chinese characters but no English caption, or an English caption with CJK characters.
std::vector<ManifestEntry> ReadManifest(const QString& path);

}  // namespace mirelune::skingen
