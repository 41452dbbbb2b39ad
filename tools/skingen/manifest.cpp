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
    if (fields.size() != 6) {
      throw std::runtime_error(QStringLiteral("%1: %2 tab-separated fields, expected 6")
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
    if (!seen.insert(e.id).second) {
      throw std::runtime_error(
          QStringLiteral("%1: id %2 is listed twice").arg(where).arg(e.id).toStdString());
    }
    entries.push_back(e);
  }
  return entries;
}

}  // namespace mirelune::skingen
