// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/skingen/manifest.h"

#include <set>
#include <stdexcept>

#include <QFile>
#include <QStringList>

namespace mirelune::skingen {

namespace {

int Number(const QString& field, int low, int high, const QString& where, const char* what) {
  bool ok = false;
  const int v = field.toInt(&ok);
  if (!ok || v < low || v > high) {
    throw std::runtime_error(QStringLiteral("%1: %2 \"%3\" is not a number in %4..%5")
                                 .arg(where, QLatin1String(what), field)
                                 .arg(low)
                                 .arg(high)
                                 .toStdString());
  }
  return v;
}

}  // namespace

bool IsCjk(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x2E80 && u <= 0x9FFF) ||  // radicals, CJK punctuation, kana, ideographs
         (u >= 0xAC00 && u <= 0xD7AF) ||  // hangul syllables
         (u >= 0xF900 && u <= 0xFAFF) ||  // compatibility ideographs
         (u >= 0xFE30 && u <= 0xFE4F) ||  // vertical-form punctuation
         (u >= 0xFF00 && u <= 0xFFEF) ||  // full-width forms ("，", "１")
         c.isSurrogate();                 // the ideograph extensions lie beyond U+FFFF
}

bool ContainsCjk(const QString& text) {
  for (QChar c : text) {
    if (IsCjk(c)) return true;
  }
  return false;
}

std::vector<ManifestEntry> ReadManifest(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
    throw std::runtime_error("cannot open the skin manifest " + path.toStdString());
  }
  std::vector<ManifestEntry> entries;
  std::set<int> seen;
  int lineNo = 0;
  while (!f.atEnd()) {
    ++lineNo;
    const QString line = QString::fromUtf8(f.readLine()).remove(QLatin1Char('\n'));
    if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const QString where = QStringLiteral("%1:%2").arg(path).arg(lineNo);
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 6 && fields.size() != 7) {
      throw std::runtime_error(QStringLiteral("%1: %2 tab-separated fields, expected 6 or 7")
                                   .arg(where)
                                   .arg(fields.size())
                                   .toStdString());
    }
    ManifestEntry e;
    e.id = Number(fields[0], 101, 394, where, "id");
    e.width = Number(fields[1], 1, 2000, where, "width");
    e.height = Number(fields[2], 1, 2000, where, "height");
    e.role = fields[3];
    e.variant = fields[4];
    e.caption = fields[5];
    e.captionEn = fields.value(6);
    if (ContainsCjk(e.caption) && e.captionEn.isEmpty()) {
      throw std::runtime_error(QStringLiteral("%1: id %2 has the caption \"%3\" but no English one")
                                   .arg(where)
                                   .arg(e.id)
                                   .arg(e.caption)
                                   .toStdString());
    }
    if (ContainsCjk(e.captionEn)) {
      throw std::runtime_error(
          QStringLiteral("%1: the English caption \"%2\" of id %3 has CJK characters")
              .arg(where, e.captionEn)
              .arg(e.id)
              .toStdString());
    }
    if (!seen.insert(e.id).second) {
      throw std::runtime_error(
          QStringLiteral("%1: id %2 is listed twice").arg(where).arg(e.id).toStdString());
    }
    entries.push_back(e);
  }
  return entries;
}

}  // namespace mirelune::skingen
