// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of a text file read whole into memory, as the readers of filter, measurement and
// calibration files take them: "\n" or "\r\n" endings, a leading UTF-8 byte-order mark skipped,
// lines numbered from 1 as an error message names them.
//
// Plain C++, no Qt.
#pragma once

#include <string_view>

namespace mirelune {

class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
  }

  // The next line without its ending; false after the last one.
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++number_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

  // The number of the line Next gave last.
  int Number() const { return number_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  int number_ = 0;
};

}  // namespace mirelune
