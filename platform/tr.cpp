// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/tr.h"


namespace mirelune {

namespace {


bool IsChinese(QChar c) {
  const ushort u = c.unicode();
  return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF00 && u <= 0xFFEF);
}

// Characters a phrase may hold besides Chinese: the punctuation and blanks around it.
bool IsPhrasePunctuation(QChar c) { return QStringLiteral(" :,=!?.()/").contains(c); }

}  // namespace

QString TrLine(const QString& line) {
  const QString whole = Tr(line);
  if (whole != line) return whole;
  QString out;
  int i = 0;
  while (i < line.size()) {
    int j = i;
    bool chinese = false;
    while (j < line.size() && (IsChinese(line[j]) || IsPhrasePunctuation(line[j]))) {
      chinese = chinese || IsChinese(line[j]);
      ++j;
    }
    if (j > i && chinese) {
      const QString phrase = line.mid(i, j - i);
      QString t = Tr(phrase);
      if (t == phrase) {
        // The source texts keep their own blanks; try the phrase without the ones around it.
        const QString trimmed = phrase.trimmed();
        const QString tt = Tr(trimmed);
        if (tt != trimmed) t = phrase.left(phrase.indexOf(trimmed)) + tt +
                               phrase.mid(phrase.indexOf(trimmed) + trimmed.size());
      }
      out += t;
      i = j;
    } else if (j > i) {
      out += line.mid(i, j - i);  // punctuation between values
      i = j;
    } else {
      const int start = i;
      while (i < line.size() && !IsChinese(line[i]) && !IsPhrasePunctuation(line[i])) ++i;
      out += line.mid(start, i - start);
    }
  }
  return out;
}

}  // namespace mirelune
