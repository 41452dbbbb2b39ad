// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the GBK <-> UTF-8 conversions of mode names and typed texts (model/ansi_text).
//
// Input: byte 0 is a small number (a field width, a start, an offset), the rest the text, taken
// both as GBK bytes and as UTF-8. Beyond what the sanitizers catch, it checks that
//  - whatever GBK bytes come in, the UTF-8 that comes out is well formed, and so are the names
//    cut from a reply buffer at any start;
//  - well-formed UTF-8 goes to GBK and back with one character for each character (one that
//    GBK cannot hold comes back as '?');
//  - a text padded to n GBK bytes has exactly n, and a cut one is a prefix of at most n
//    characters;
//  - TextToBytes writes exactly the GBK bytes, and TextToDigits keeps the 21-byte buffer.
#include <cstdint>
#include <string>
#include <vector>

#include "model/ansi_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// Unicode's well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool WellFormedUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t need = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      need = 2;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      need = 3;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (i + need >= s.size()) return false;  // cut short
    for (size_t k = 1; k <= need; ++k) {
      const unsigned char b = static_cast<unsigned char>(s[i + k]);
      if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return false;
    }
    i += need + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t small = data[0] % 32;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  using namespace mirelune;

  // As GBK bytes, from the device.
  FUZZ_CHECK(WellFormedUtf8(AnsiToUtf8(text)));
  const std::vector<uint8_t> buffer(text.begin(), text.end());
  FUZZ_CHECK(WellFormedUtf8(BytesToText(buffer, small)));

  // As UTF-8, from the user.
  const std::string ansi = Utf8ToAnsi(text);
  std::vector<uint8_t> out(small, 0xAA);
  FUZZ_CHECK(TextToBytes(text, out) == ansi.size());
  FUZZ_CHECK(out.size() >= ansi.size() && std::string(out.begin(), out.begin() + ansi.size()) == ansi);
  std::vector<uint8_t> digits(small, 0);
  TextToDigits(text, digits, small);
  FUZZ_CHECK(digits.size() == (small < 21 ? 21u : small));
  if (!WellFormedUtf8(text)) return 0;

  FUZZ_CHECK(Utf8Length(AnsiToUtf8(ansi)) == Utf8Length(text));
  const std::string fitted = FitText(text, small);
  if (ansi.size() < small) {
    FUZZ_CHECK(Utf8ToAnsi(fitted).size() == small);
  } else {
    FUZZ_CHECK(text.compare(0, fitted.size(), fitted) == 0);
    FUZZ_CHECK(Utf8Length(fitted) <= small);
  }
  return 0;
}
