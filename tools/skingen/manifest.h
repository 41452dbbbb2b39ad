// The skin manifest: which images exist, their sizes, and what each one shows.
#pragma once

#include <QString>
#include <vector>

namespace mirelune::skingen {

struct ManifestEntry {
  int id = 0;
  int width = 0;
  int height = 0;
  QString role;     // what to draw (a button, a track, a marker ...)
  QString variant;  // which state of it (normal, pressed, grey, dance, band3 ...)
  QString caption;  // text on it; "|" breaks a line
};

// Reads the tab-separated manifest; '#' lines and blank lines are skipped. Throws
// std::runtime_error naming the file and line for a malformed line, a size outside 1..2000 or
// an id outside 101..394 or given twice.
std::vector<ManifestEntry> ReadManifest(const QString& path);

}  // namespace mirelune::skingen
