// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/qr_code.h"

#include <qrencode.h>

#include <cerrno>
#include <cstring>

namespace mirelune {

bool MakeQrCode(const std::string& text, QrCode& code, std::string& error) {
  QRcode* q = QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M);
  if (!q) {
    error = std::string("cannot make a QR code of the link (") + std::strerror(errno) + ")";
    return false;
  }
  code.size = q->width;
  code.dark.assign(static_cast<size_t>(q->width) * static_cast<size_t>(q->width), false);
  for (size_t i = 0; i < code.dark.size(); ++i) code.dark[i] = (q->data[i] & 1) != 0;
  QRcode_free(q);
  return true;
}

std::string QrTerminalText(const QrCode& code) {
  // Dark modules print as spaces on a light field ("█"), so that the code reads the same on a
  // dark terminal: scanners want dark modules on a light quiet zone.
  const int quiet = 2;
  std::string out;
  for (int y = -quiet; y < code.size + quiet; y += 2) {
    for (int x = -quiet; x < code.size + quiet; ++x) {
      const bool top = code.Dark(x, y);
      const bool bottom = y + 1 < code.size + quiet && code.Dark(x, y + 1);
      if (!top && !bottom) out += "\u2588";
      else if (top && bottom) out += " ";
      else if (top) out += "\u2584";  // lower half light
      else out += "\u2580";          // upper half light
    }
    out += "\n";
  }
  return out;
}

}  // namespace mirelune
