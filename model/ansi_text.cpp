// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ansi_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace mirelune {
namespace {

#ifdef _WIN32
constexpr UINT kGbk = 936;

// Windows converts through UTF-16 with the code-page API; unmappable characters become '?'.
std::string Convert(const std::string& in, UINT from, UINT to) {
  if (in.empty()) return {};
  int wide = MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), w.data(), wide);
  int n = WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(to, 0, w.data(), wide, out.data(), n, nullptr, nullptr);
  return out;
}
#else

// The byte count of the UTF-8 character at p (at most `left` bytes) and whether it is well formed
// (Unicode's table of well-formed byte sequences: no overlong forms, no surrogates, nothing
// above U+10FFFF). For a malformed one the count is that of its longest well-formed prefix, at
// least 1, so a stray lead byte takes only itself with it and the characters after it stay.
size_t Utf8Span(const unsigned char* p, size_t left, bool& valid) {
  valid = false;
  const unsigned char c = p[0];
  if (c < 0x80) {
    valid = true;
    return 1;
  }
  size_t need = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
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
    return 1;  // a continuation byte or a byte that never occurs in UTF-8
  }
  size_t n = 1;
  for (; n <= need && n < left; ++n) {
    const unsigned char b = p[n];
    if (n == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return n;
  }
  valid = n == need + 1;
  return n;
}

// Converts with iconv, replacing what cannot be converted by `bad`: one `bad` per character that
// the target cannot hold and per malformed sequence of the source.
std::string Convert(const std::string& in, const char* to, const char* from, const char* bad) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  const bool fromUtf8 = std::string(from) == "UTF-8";
  std::string out;
  char buf[256];
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: skip one character of input.
      out += bad;
      size_t skip = 1;
      if (fromUtf8) {
        bool valid = false;
        skip = Utf8Span(reinterpret_cast<const unsigned char*>(src), left, valid);
      }
      src += skip;
      left -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
    }
  }
  iconv_close(cd);
  return out;
}
#endif

}  // namespace

#ifdef _WIN32
std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, CP_UTF8, kGbk); }
std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, kGbk, CP_UTF8); }
#else
std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, "GBK", "UTF-8", "?"); }
std::string AnsiToUtf8(const std::string& ansi) {
  return Convert(ansi, "UTF-8", "GBK", "\xEF\xBF\xBD");
}
#endif

std::string ReplySafeAnsi(const std::string& ansi) {
  auto unsafe = [](unsigned char b) { return b == 0xFE || b == 0xFF; };
  std::string out;
  for (size_t i = 0; i < ansi.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(ansi[i]);
    // A GBK lead byte (0x81..0xFE) takes the next byte as its trail.
    const size_t n = c >= 0x81 && c <= 0xFE && i + 1 < ansi.size() ? 2 : 1;
    bool bad = unsafe(c);
    if (n == 2) bad = bad || unsafe(static_cast<unsigned char>(ansi[i + 1]));
    if (bad)
      out += '?';
    else
      out.append(ansi, i, n);
    i += n - 1;
  }
  return out;
}

std::string BytesToText(const std::vector<uint8_t>& bytes, size_t start) {
  std::string raw;
  for (size_t i = start; i < start + 12 && i < bytes.size(); ++i) {
    if (bytes[i] == 0) break;
    raw += static_cast<char>(bytes[i]);
  }
  return AnsiToUtf8(raw);
}

size_t TextToBytes(const std::string& text, std::vector<uint8_t>& out) {
  const std::string ansi = Utf8ToAnsi(text);
  if (out.size() < ansi.size()) out.resize(ansi.size());
  for (size_t i = 0; i < ansi.size(); ++i) out[i] = static_cast<uint8_t>(ansi[i]);
  return ansi.size();
}

size_t Utf8Length(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string FitText(const std::string& text, size_t n) {
  const size_t bytes = Utf8ToAnsi(text).size();
  if (bytes < n) return text + std::string(n - bytes, ' ');
  // The first n characters.
  size_t chars = 0, i = 0;
  for (; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (chars == n) break;
      ++chars;
    }
  }
  return text.substr(0, i);
}

void TextToDigits(const std::string& text, std::vector<uint8_t>& digits, size_t offset) {
  if (digits.size() < 21) digits.resize(21);
  const std::string ansi = Utf8ToAnsi(text);
  for (size_t i = 0; i < ansi.size() && offset + i < digits.size(); ++i)
    digits[offset + i] = static_cast<uint8_t>(static_cast<unsigned char>(ansi[i]) - 48);
}

std::string PickText(const std::string& first, std::string& second) {
  if (second.empty()) second = first;
  return first;
}

}  // namespace mirelune
