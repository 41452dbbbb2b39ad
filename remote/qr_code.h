// SPDX-License-Identifier: GPL-3.0-or-later
// A QR code of a text (the pairing link), as a square of dark and light modules, for the
// console to draw and the terminal to print. Plain C++ over libqrencode.
#pragma once

#include <string>
#include <vector>

namespace mirelune {

struct QrCode {
  int size = 0;              // modules per side, without the quiet zone
  std::vector<bool> dark;    // size * size, row by row

  bool Dark(int x, int y) const {
    return x >= 0 && y >= 0 && x < size && y < size && dark[static_cast<size_t>(y * size + x)];
  }
};

// The code of `text` at error correction level M; false with `error` (a text too long).
bool MakeQrCode(const std::string& text, QrCode& code, std::string& error);

// The code as lines of text for a terminal: two module rows per line with the half-block
// characters, drawn in the terminal's text colour for the light modules - right for the usual
// light text on a dark background, inverted (which most phone scanners read too) on a light
// one. A quiet zone of 2 modules.
std::string QrTerminalText(const QrCode& code);

}  // namespace mirelune
