// SPDX-License-Identifier: GPL-3.0-or-later
// Texts as the amplifier keeps them: bytes in the ANSI code page of the target systems (GBK).
// Inside the console every text is UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirelune {

// UTF-8 <-> GBK. Characters that GBK cannot hold become '?'; undecodable bytes become U+FFFD.
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);

// GBK bytes as a reply frame can carry them. Inside a frame 0xFE always starts a new frame and
// 0xFF is always the sync byte, so a character whose bytes include either (0xFE leads and
// trails double-byte characters) is replaced by '?'; every other byte is kept as it is.
std::string ReplySafeAnsi(const std::string& ansi);

// Up to 12 bytes from `start`, stopping before the first zero byte, decoded from GBK.
std::string BytesToText(const std::vector<uint8_t>& bytes, size_t start);

// The text's GBK bytes written into `out` from position 0 (one byte per single-byte character,
// two, high byte first, per double-byte character); returns the number of bytes written. `out`
// grows when it is too short.
size_t TextToBytes(const std::string& text, std::vector<uint8_t>& out);

// Pads with spaces to n GBK bytes when shorter; otherwise the first n characters.
std::string FitText(const std::string& text, size_t n);

// Each character's code minus 48 ('0' -> 0) into the 21-byte digit buffer from `offset`.
// Characters past the end of the buffer are dropped.
void TextToDigits(const std::string& text, std::vector<uint8_t>& digits, size_t offset);

// When `second` is empty it becomes `first`; returns `first`.
std::string PickText(const std::string& first, std::string& second);

// Number of UTF-8 characters.
size_t Utf8Length(const std::string& s);

}  // namespace mirelune
