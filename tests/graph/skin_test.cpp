// SPDX-License-Identifier: GPL-3.0-or-later
// The skin: every image the layouts and the drawing code name exists in the size its place
// needs, and the drawing primitives put pixels where their contract says.
#include "graph/skin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QStaticText>
#include <QStringList>

#include "graph/skin_ids.h"

namespace mirelune::skin {
namespace {

// Fonts and text drawing need a GUI application; the first test program part that needs one
// creates it, and it lives for the rest of the run.
void EnsureGuiApp() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "graph_tests";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

class SkinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    EnsureGuiApp();
    LoadSkin();
  }
};

constexpr int Px(int twips) { return twips / 15; }

struct Need {
  const char* where;
  int id;
  int width;
  int height;
};

// Sizes the layouts fix: flag buttons take the size of their first image, so every image of a
// button's list must have the layout's size (twips / 15); thumbs, strips and markers are
// placed by fixed offsets.
const Need kExactSizes[] = {
    {"page button", 158, Px(1560), Px(495)},   {"page button", 159, Px(1560), Px(495)},
    {"page button", 160, Px(1560), Px(495)},   {"page button", 161, Px(1560), Px(495)},
    {"page button", 162, Px(1560), Px(495)},   {"page button", 163, Px(1560), Px(495)},
    {"page button", 164, Px(1560), Px(495)},   {"page button", 165, Px(1560), Px(495)},
    {"page button", 166, Px(1560), Px(495)},   {"page button", 167, Px(1560), Px(495)},
    {"page button", 168, Px(1560), Px(495)},   {"page button", 169, Px(1560), Px(495)},
    {"page button", 170, Px(1560), Px(495)},   {"page button", 171, Px(1560), Px(495)},
    {"page button", 172, Px(1560), Px(495)},   {"page button", 173, Px(1560), Px(495)},
    {"cmdRecordPage", 174, Px(1560), Px(495)}, {"cmdRecordPage", 175, Px(1560), Px(495)},
    {"Command3", 286, Px(1080), Px(465)},      {"Command3", 287, Px(1080), Px(465)},
    {"Command3", 288, Px(1080), Px(465)},      {"Command3", 289, Px(1080), Px(465)},
    {"Command3", 290, Px(1080), Px(465)},      {"Command3", 291, Px(1080), Px(465)},
    {"cmdReset", 188, Px(1065), Px(330)},      {"cmdReset", 189, Px(1065), Px(330)},
    {"cmdByPass", 190, Px(1065), Px(330)},     {"cmdByPass", 191, Px(1065), Px(330)},
    {"cmdRedo", 192, Px(345), Px(330)},        {"cmdRedo", 193, Px(345), Px(330)},
    {"cmdUndo", 194, Px(345), Px(330)},        {"cmdUndo", 195, Px(345), Px(330)},
    {"cmdModeCopy", 284, Px(1065), Px(330)},   {"cmdModeCopy", 285, Px(1065), Px(330)},
    {"MBtnFlag3", 314, Px(1065), Px(330)},     {"MBtnFlag3", 315, Px(1065), Px(330)},
    {"cmdBassMode", 280, Px(960), Px(330)},    {"cmdBassMode", 281, Px(960), Px(330)},
    {"cmdBassMode", 282, Px(960), Px(330)},    {"cmdBassMode", 283, Px(960), Px(330)},
    {"cmdBassAutoControl2", 296, Px(960), Px(330)},
    {"cmdBassAutoControl2", 297, Px(960), Px(330)},
    {"cmdBassAutoControl2", 298, Px(960), Px(330)},
    {"cmdBassAutoControl2", 299, Px(960), Px(330)},
    {"MBtnFlag2", 312, Px(1005), Px(435)},     {"MBtnFlag2", 313, Px(1005), Px(435)},
    {"MBtnFlag2 disabled", 317, Px(1005), Px(435)},
    {"cmdExit", 208, Px(360), Px(360)},        {"cmdExit", 209, Px(360), Px(360)},
    {"cmdMinForm", 216, Px(345), Px(360)},     {"cmdMinForm", 217, Px(345), Px(360)},
    {"MBtnFlag1", 110, Px(1500), Px(450)},
    {"cmdConnectStatus", 361, Px(1530), Px(405)},
    {"cmdConnectStatus", 362, Px(1530), Px(405)},
    {"cmdConnectStatus", 359, Px(1530), Px(405)},
    {"MyMute", 142, Px(360), Px(300)},         {"MyMute", 143, Px(360), Px(300)},
    {"MyMute hidden", 304, Px(360), Px(300)},  {"MyMute hidden", 305, Px(360), Px(300)},
    {"SingleMute", 292, Px(360), Px(300)},     {"SingleMute", 293, Px(360), Px(300)},
    {"option buttons", 218, Px(240), Px(240)}, {"option buttons", 219, Px(240), Px(240)},
    {"MyBTN 3..7", 378, Px(435), Px(405)},     {"MyBTN 3..7", 379, Px(435), Px(405)},
    {"MyBTN 3..7 hidden", 198, Px(435), Px(405)},
    {"MyBTN 3..7 hidden", 199, Px(435), Px(405)},
    {"MyBTN 2", 380, Px(1110), Px(255)},       {"MyBTN 2", 381, Px(1110), Px(255)},
    {"MyBTN 2 hidden", 196, Px(1110), Px(255)},
    {"MyBTN 2 hidden", 197, Px(1110), Px(255)},
    // Thumbs: the strip's 24 x 16 (placed at centre - 8) and the horizontal 15 x 22.
    {"strip thumb", 102, 24, 16},              {"strip thumb greyed", 107, 24, 16},
    {"strip thumb selected", 270, 24, 16},     {"horizontal thumb", 137, 15, 22},
    {"horizontal thumb greyed", 108, 15, 22},
    // Strips: background and fills cover the whole strip, normal and tall.
    {"strip", 113, 43, 178},                   {"strip fill", 112, 43, 178},
    {"strip fill greyed", 272, 43, 178},       {"strip fill dance", 276, 43, 178},
    {"tall strip", 374, 43, 178 + 46},         {"tall strip fill", 375, 43, 178 + 46},
    {"tall strip fill dance", 376, 43, 178 + 46},
    {"tall strip fill greyed", 377, 43, 178 + 46},
    // Q-type buttons fill their 16 x 18 hit rows.
    {"Q type", 129, 16, 18}, {"Q type", 130, 16, 18}, {"Q type", 131, 16, 18},
    {"Q type", 132, 16, 18}, {"Q type", 133, 16, 18}, {"Q type", 134, 16, 18},
    {"Q type greyed", 300, 16, 18}, {"Q type greyed", 301, 16, 18},
    {"Q type greyed", 302, 16, 18},
    // Graph markers, drawn at -16, -8 and -6 around the band's point.
    {"inactive marker", 279, 12, 12},
};

TEST_F(SkinTest, ImagesHaveTheSizesTheirLayoutsFix) {
  for (const Need& n : kExactSizes) {
    EXPECT_EQ(SkinSize(n.id), QSize(n.width, n.height)) << n.where << ", image " << n.id;
  }
  for (int t = 0; t < id::kMarkerCount; ++t) {
    EXPECT_EQ(SkinSize(id::kMarkerSelected + t), QSize(32, 32)) << "selected marker t=" << t;
    EXPECT_EQ(SkinSize(id::kMarkerSmall + t), QSize(16, 16)) << "small marker t=" << t;
  }
}

// The manifest in the source tree. The build names the tree: a compiler cache may rewrite
// __FILE__ into a path relative to the build directory.
QString ManifestPath() {
  return QStringLiteral(MIRELUNE_SOURCE_DIR "/tools/skin_manifest.tsv");
}

struct ManifestRow {
  int id;
  QSize size;
  QString caption;    // Chinese
  QString captionEn;  // empty: the same image in both languages
  // The rows whose English image is an image of its own.
  bool HasEnglishImage() const { return !captionEn.isEmpty() && captionEn != caption; }
};

// The manifest's image lines (id, width, height, role, variant, caption, English caption); an
// empty list when the file cannot be read.
std::map<int, ManifestRow> ManifestRows() {
  QFile f(ManifestPath());
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  std::map<int, ManifestRow> rows;
  while (!f.atEnd()) {
    // Only the line end goes: a trailing tab still separates an empty caption.
    const QString line = QString::fromUtf8(f.readLine()).remove(QLatin1Char('\n'));
    if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const QStringList fields = line.split(QLatin1Char('\t'));
    const int id = fields.value(0).toInt();
    rows[id] = {id, QSize(fields.value(1).toInt(), fields.value(2).toInt()), fields.value(5),
                fields.value(6)};
  }
  return rows;
}

// Restores the Chinese skin when a test that switched the language ends, failed or not.
struct ChineseAfterwards {
  ~ChineseAfterwards() { SetSkinLanguage(SkinLanguage::Chinese); }
};

TEST_F(SkinTest, CompiledImagesMatchTheManifest) {
  // A manifest edit without redrawing the PNGs, or a PNG nobody lists, shows up here.
  std::map<int, QSize> listed;
  for (const auto& [id, row] : ManifestRows()) listed[id] = row.size;
  ASSERT_FALSE(listed.empty()) << ManifestPath().toStdString();
  for (int i = kFirstId; i < kFirstId + kTableSize; ++i) {
    const auto it = listed.find(i);
    const QSize expected = it == listed.end() ? QSize(0, 0) : it->second;
    EXPECT_EQ(SkinSize(i), expected) << "image " << i;
  }
}

TEST_F(SkinTest, CompiledEnglishImagesMatchTheManifest) {
  // Exactly the rows whose English caption differs have an English image, in the row's size.
  const auto rows = ManifestRows();
  ASSERT_FALSE(rows.empty()) << ManifestPath().toStdString();
  std::set<int> expected;
  for (const auto& [id, row] : rows) {
    if (row.HasEnglishImage()) expected.insert(id);
  }
  std::set<int> compiled;
  for (const QString& name : QDir(QStringLiteral(":/skin_en")).entryList(QDir::Files)) {
    const int id = QFileInfo(name).completeBaseName().toInt();
    compiled.insert(id);
    const QImage img(QStringLiteral(":/skin_en/") + name);
    ASSERT_FALSE(img.isNull()) << name.toStdString();
    const auto it = rows.find(id);
    if (it != rows.end()) {
      EXPECT_EQ(img.size(), it->second.size) << "English image " << name.toStdString();
    }
  }
  EXPECT_EQ(compiled, expected);
}

// True for characters of the East Asian scripts: ideographs, kana, CJK and full-width
// punctuation, and anything beyond U+FFFF (the ideograph extensions).
bool IsCjk(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7AF) ||
         (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) ||
         (u >= 0xFF00 && u <= 0xFFEF) || c.isSurrogate();
}

bool HasCjk(const QString& text) { return std::any_of(text.begin(), text.end(), IsCjk); }

TEST(SkinManifestTest, EveryCaptionWithChineseWordsHasAnEnglishOne) {
  const auto rows = ManifestRows();
  ASSERT_FALSE(rows.empty()) << ManifestPath().toStdString();
  int withWords = 0;
  for (const auto& [id, row] : rows) {
    EXPECT_FALSE(HasCjk(row.captionEn)) << "image " << id << ": " << row.captionEn.toStdString();
    if (!HasCjk(row.caption)) continue;
    ++withWords;
    EXPECT_FALSE(row.captionEn.trimmed().isEmpty())
        << "image " << id << " (" << row.caption.toStdString() << ") has no English caption";
  }
  // The page buttons alone are 18 rows with words: a reader that lost the captions fails here.
  EXPECT_GE(withWords, 18);
}

qint64 PixelDifference(const QImage& a, const QImage& b) {
  qint64 diff = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
      diff += std::abs(qRed(pa) - qRed(pb)) + std::abs(qGreen(pa) - qGreen(pb)) +
              std::abs(qBlue(pa) - qBlue(pb)) + std::abs(qAlpha(pa) - qAlpha(pb));
    }
  }
  return diff;
}

TEST_F(SkinTest, EnglishSkinReplacesExactlyTheImagesWithWords) {
  const auto rows = ManifestRows();
  ASSERT_FALSE(rows.empty()) << ManifestPath().toStdString();
  ASSERT_EQ(CurrentSkinLanguage(), SkinLanguage::Chinese);
  std::map<int, QImage> chinese;
  for (const auto& [id, row] : rows) chinese[id] = SkinImage(id).copy();

  ChineseAfterwards restore;
  // The skin is loaded: the switch itself decodes the English set, and a later LoadSkin (a
  // window being rebuilt) keeps it.
  SetSkinLanguage(SkinLanguage::English);
  LoadSkin();
  EXPECT_EQ(CurrentSkinLanguage(), SkinLanguage::English);
  int english = 0;
  for (const auto& [id, row] : rows) {
    const QImage& now = SkinImage(id);
    ASSERT_EQ(now.size(), row.size) << "image " << id;
    if (row.HasEnglishImage()) {
      ++english;
      // Another caption moves more than antialiasing noise: a mean of 2 levels per pixel.
      EXPECT_GT(PixelDifference(now, chinese[id]), 2LL * row.size.width() * row.size.height())
          << "image " << id << " shows \"" << row.captionEn.toStdString()
          << "\" like its Chinese one";
    } else {
      EXPECT_EQ(now, chinese[id]) << "image " << id << " has no words but changed";
    }
  }
  EXPECT_GT(english, 0);

  // And back: the Chinese set again, pixel for pixel.
  SetSkinLanguage(SkinLanguage::Chinese);
  for (const auto& [id, row] : rows) {
    EXPECT_EQ(SkinImage(id), chinese[id]) << "image " << id << " after switching back";
  }
}

struct Placement {
  const char* where;
  int id;
  double x;
  double y;
  int controlWidth;
  int controlHeight;
};

// Images drawn at a fixed place inside a control must exist and lie inside the control.
const Placement kPlacements[] = {
    {"fader background", 104, 0, 2, 74, 180},
    {"fader value box", 269, 22, 160, 74, 180},
    {"fader mute icon", 308, 13, 161, 74, 180},
    {"fader mute icon", 309, 13, 161, 74, 180},
    {"fader mute icon", 310, 13, 161, 74, 180},
    {"fader mute icon", 311, 13, 161, 74, 180},
    {"strip label", 105, 15, 0, 43, 178},
    {"strip bypass switch", 294, 17, 166, 43, 178},
    {"strip bypass switch", 295, 17, 166, 43, 178},
    {"tall strip bypass switch", 294, 17, 166 + 42, 43, 224},
    {"slider 150x40 background", 135, 0, 0, 150, 40},
    {"slider 150x40 value box", 382, 66, 0, 150, 40},
    {"slider 170x30 background", 140, 0, 0, 170, 30},
    {"slider 170x30 value box", 269, 138, 4, 170, 30},
    {"slider 180x26 background", 140, 0, 0, 180, 26},
    {"slider 180x26 value box", 269, 150, 4, 180, 26},
    {"slider 180x26 mute icon", 308, 140, 6, 180, 26},
    {"slider 170x30 wide value box", 382, 138, 4, 170, 30},
    {"master slider background", 220, 0, 0, 182, 28},
    {"master slider value box", 101, 157, 7, 182, 28},
    {"knob", 182, 0, 0, 127, 167},
    {"knob value box", 382, 47, 140, 127, 167},
    {"style 4 value box", 138, 57, 1.5, 124, 42},
    {"style 3 value box", 139, 126, 5, 184, 25},
    {"list box", 150, 0, 0, 138, 21},
    {"list arrow", 151, 121, 5, 138, 21},
    {"list arrow pressed", 152, 121, 7, 138, 21},
    {"list overlay", 316, 0, 0, 138, 21},
    {"reverb list face", 144, 5, 0, 87, 20},
    {"reverb list arrow", 151, 74, 6, 87, 20},
    {"reverb list arrow pressed", 152, 74, 8, 87, 20},
    {"small list arrow", 227, 74, 6, 87, 20},
    {"small list arrow pressed", 228, 74, 6, 87, 20},
};

TEST_F(SkinTest, PlacedImagesLieInsideTheirControls) {
  for (const Placement& p : kPlacements) {
    const QSize s = SkinSize(p.id);
    EXPECT_FALSE(s.isEmpty()) << p.where << ", image " << p.id << " is missing";
    EXPECT_LE(p.x + s.width(), p.controlWidth) << p.where << ", image " << p.id;
    EXPECT_LE(p.y + s.height(), p.controlHeight) << p.where << ", image " << p.id;
  }
}

struct ItemList {
  const char* where;
  int base;
  int count;
  double x;
  double y;
  int faceWidth;   // up to the drop arrow
  int faceHeight;
};

// Entry i of an option list shows image base + i on the face; each must fit before the arrow.
const ItemList kItemLists[] = {
    {"filter type", 153, 5, 6, 6, 121, 21},  {"output high-pass type", 224, 2, 6, 6, 121, 21},
    {"mode number", 229, 10, 0, 0, 74, 20}, {"reverb preset", 318, 5, 11, 4, 74, 20},
    {"automatic/manual", 363, 2, 0, 0, 74, 20}, {"off/1/2/3", 365, 4, 0, 0, 74, 20},
    {"level", 369, 4, 0, 0, 74, 20},
};

TEST_F(SkinTest, OptionListItemsFitTheirFaces) {
  for (const ItemList& l : kItemLists) {
    for (int i = 0; i < l.count; ++i) {
      const QSize s = SkinSize(l.base + i);
      EXPECT_FALSE(s.isEmpty()) << l.where << " entry " << i;
      EXPECT_LE(l.x + s.width(), l.faceWidth) << l.where << " entry " << i;
      EXPECT_LE(l.y + s.height(), l.faceHeight) << l.where << " entry " << i;
    }
  }
}

struct Fill {
  const char* where;
  int id;
  bool vertical;
  int crossAt;  // x of the thumb centre (vertical) or y of the thumb centre (horizontal)
  int trackEnd; // y0 + length (vertical) or x0 + length (horizontal)
};

// Fills are revealed in place from (0, 0), so they must reach the track's far end and have an
// opaque bar under the thumb's path there.
const Fill kFills[] = {
    {"fader", 103, true, 36, 26 + 123},        {"strip", 112, true, 28, 18 + 95},
    {"strip greyed", 272, true, 28, 18 + 95},  {"strip dance", 276, true, 28, 18 + 95},
    {"tall strip", 375, true, 28, 18 + 122},   {"tall strip dance", 376, true, 28, 18 + 122},
    {"tall strip greyed", 377, true, 28, 18 + 122},
    {"slider 150x40", 136, false, 15 + 11, 12 + 122},
    {"slider 150x40 greyed", 271, false, 15 + 11, 12 + 122},
    {"slider 150x40 dance", 275, false, 15 + 11, 12 + 122},
    {"slider 170x30", 141, false, 2 + 11, 7 + 122},
    {"slider 170x30 greyed", 273, false, 2 + 11, 7 + 122},
    {"slider 170x30 dance", 277, false, 2 + 11, 7 + 122},
    {"master slider", 221, false, 4 + 11, 8 + 140},
    {"master slider muted", 274, false, 4 + 11, 8 + 140},
};

TEST_F(SkinTest, FillsReachTheEndOfTheirTracks) {
  for (const Fill& f : kFills) {
    const QImage& img = SkinImage(f.id);
    ASSERT_FALSE(img.isNull()) << f.where << ", image " << f.id;
    const QPoint end = f.vertical ? QPoint(f.crossAt, f.trackEnd - 1) : QPoint(f.trackEnd - 1, f.crossAt);
    ASSERT_TRUE(img.rect().contains(end)) << f.where << ", image " << f.id;
    EXPECT_EQ(qAlpha(img.pixel(end)), 255) << f.where << " has no bar at the track end";
  }
}

TEST_F(SkinTest, VariantsOfOneControlDiffer) {
  // Pressed, greyed, hidden, disabled and dance-mode images must be told apart at a glance, in
  // either language.
  const std::pair<int, int> pairs[] = {
      {158, 159}, {188, 189}, {190, 191}, {142, 143}, {142, 304}, {143, 305}, {312, 317},
      {378, 199}, {379, 198}, {380, 196}, {381, 197}, {102, 107}, {102, 270}, {137, 108},
      {112, 272}, {112, 276}, {272, 276}, {141, 273}, {141, 277}, {221, 274}, {129, 300},
      {361, 362}, {362, 359}, {218, 219}, {292, 293}, {282, 283}, {280, 281}, {287, 286},
      {298, 299}, {296, 297},
  };
  ChineseAfterwards restore;
  for (SkinLanguage language : {SkinLanguage::Chinese, SkinLanguage::English}) {
    SetSkinLanguage(language);
    const char* const lang = language == SkinLanguage::English ? "English: " : "Chinese: ";
    for (auto [a, b] : pairs) {
      const QImage& ia = SkinImage(a);
      const QImage& ib = SkinImage(b);
      ASSERT_EQ(ia.size(), ib.size()) << lang << a << " vs " << b;
      // At least a mean of 8 levels per pixel: more than antialiasing noise.
      EXPECT_GT(PixelDifference(ia, ib), 8LL * ia.width() * ia.height())
          << lang << a << " and " << b << " look alike";
    }
  }
}

TEST(SkinIndexTest, MapsIdTextToTableSlots) {
  struct Case {
    const char* text;
    int index;  // -1: out_of_range
  } cases[] = {
      {"303", 202}, {"101", 0}, {"500", 399}, {" 142 ", 41}, {"101.5", 0},
      {"102.5", 2}, {"100.6", 0}, {"100", -1}, {"501", -1}, {"500.6", -1},
      {"", -1},     {"abc", -1},  {"142,143", -1}, {"-101", -1},
  };
  for (const Case& c : cases) {
    if (c.index < 0) {
      EXPECT_THROW(SkinIndex(QString::fromUtf8(c.text)), std::out_of_range) << c.text;
    } else {
      EXPECT_EQ(SkinIndex(QString::fromUtf8(c.text)), c.index) << c.text;
    }
  }
}

QImage Canvas(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

bool Opaque(const QImage& img, int x, int y) { return qAlpha(img.pixel(x, y)) == 255; }
bool Empty(const QImage& img, int x, int y) { return qAlpha(img.pixel(x, y)) == 0; }

bool AllEmpty(const QImage& img) {
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      if (!Empty(img, x, y)) return false;
    }
  }
  return true;
}

TEST_F(SkinTest, ScaledDrawFillsExactlyTheGivenRectangle) {
  QImage canvas = Canvas(900, 700);
  {
    QPainter g(&canvas);
    DrawSkinImage(QStringLiteral("303"), g, 50, 40, 0, 600, 800);
  }
  // Inside corners covered, one pixel beyond each edge untouched.
  EXPECT_TRUE(Opaque(canvas, 50, 40));
  EXPECT_TRUE(Opaque(canvas, 849, 639));
  EXPECT_TRUE(Opaque(canvas, 450, 340));
  EXPECT_TRUE(Empty(canvas, 49, 340));
  EXPECT_TRUE(Empty(canvas, 850, 340));
  EXPECT_TRUE(Empty(canvas, 450, 39));
  EXPECT_TRUE(Empty(canvas, 450, 640));
}

TEST_F(SkinTest, NaturalSizeDrawAndAngle360UseThePosition) {
  for (qreal angle : {0.0, 360.0}) {
    QImage canvas = Canvas(400, 200);
    QPainter g(&canvas);
    DrawSkinImage(QStringLiteral("303"), g, 30, 20, angle);
    g.end();
    const QSize s = SkinSize(id::kGraphBack);
    EXPECT_TRUE(Opaque(canvas, 30, 20)) << angle;
    EXPECT_TRUE(Opaque(canvas, 30 + s.width() - 1, 20 + s.height() - 1)) << angle;
    EXPECT_TRUE(Empty(canvas, 30 + s.width(), 20 + s.height() / 2)) << angle;
    EXPECT_TRUE(Empty(canvas, 29, 20 + s.height() / 2)) << angle;
  }
}

bool Amber(QRgb c) { return qRed(c) > 180 && qGreen(c) > 130 && qBlue(c) < 90; }

TEST_F(SkinTest, RotationTurnsAboutTheCentreAndIgnoresThePosition) {
  // The knob's pointer stands straight up at angle 0; 90 degrees turns it to the right, -90 to
  // the left, 180 down, always about the image centre whatever x and y say.
  const QSize s = SkinSize(id::kKnob);
  ASSERT_FALSE(s.isEmpty());
  const int cx = s.width() / 2, cy = s.height() / 2, reach = s.width() / 4;
  struct Case {
    qreal angle;
    int dx, dy;
  } cases[] = {{0, 0, -reach}, {90, reach, 0}, {-90, -reach, 0}, {180, 0, reach}};
  for (const Case& c : cases) {
    QImage canvas = Canvas(s.width(), s.height());
    QPainter g(&canvas);
    DrawSkinImage(QStringLiteral("182"), g, c.angle == 0 ? 0 : 77, c.angle == 0 ? 0 : 55, c.angle);
    EXPECT_TRUE(g.transform().isIdentity()) << "the painter's transform must be restored";
    g.end();
    EXPECT_TRUE(Amber(canvas.pixel(cx + c.dx, cy + c.dy))) << "pointer missing at angle " << c.angle;
    EXPECT_FALSE(Amber(canvas.pixel(cx - c.dx, cy - c.dy))) << "pointer reversed at " << c.angle;
  }
}

TEST_F(SkinTest, RotationComposesWithTheCallersTransform) {
  const QSize s = SkinSize(id::kKnob);
  QImage canvas = Canvas(s.width() + 40, s.height() + 40);
  QPainter g(&canvas);
  g.translate(40, 40);
  DrawSkinImage(QStringLiteral("182"), g, 0, 0, 90);
  EXPECT_EQ(g.transform(), QTransform::fromTranslate(40, 40));
  g.end();
  EXPECT_TRUE(Amber(canvas.pixel(40 + s.width() / 2 + s.width() / 4, 40 + s.height() / 2)));
}

TEST_F(SkinTest, IdsWithoutImageDrawNothingAndBadIdsThrow) {
  QImage canvas = Canvas(100, 100);
  QPainter g(&canvas);
  EXPECT_NO_THROW(DrawSkinImage(QStringLiteral("395"), g, 0, 0));
  EXPECT_NO_THROW(DrawSkinImage(QStringLiteral("500"), g, 0, 0, 45));
  EXPECT_NO_THROW(DrawImageBottomPart(QStringLiteral("395"), g, 3));
  EXPECT_NO_THROW(DrawImageLeftPart(QStringLiteral("395"), g, 3));
  EXPECT_THROW(DrawSkinImage(QStringLiteral("100"), g, 0, 0), std::out_of_range);
  EXPECT_THROW(DrawSkinImage(QStringLiteral("501"), g, 0, 0), std::out_of_range);
  g.end();
  EXPECT_TRUE(AllEmpty(canvas));
  EXPECT_TRUE(SkinImage(395).isNull());
  EXPECT_EQ(SkinSize(395), QSize(0, 0));
  EXPECT_EQ(SkinSize(42), QSize(0, 0));
}

TEST_F(SkinTest, BottomPartRevealsRowsFromYDownInPlace) {
  // The strip fill's bar runs in column 28 from row 18 to row 112.
  struct Case {
    int y;
    int firstRow;  // first row that shows the bar
  } cases[] = {{60, 60}, {18, 18}, {0, 18}, {-5, 18}, {112, 112}};
  for (const Case& c : cases) {
    QImage canvas = Canvas(43, 178);
    QPainter g(&canvas);
    DrawImageBottomPart(QStringLiteral("112"), g, c.y);
    g.end();
    if (c.firstRow > 0) {
      EXPECT_TRUE(Empty(canvas, 28, c.firstRow - 1)) << "y " << c.y;
    }
    EXPECT_TRUE(Opaque(canvas, 28, c.firstRow)) << "y " << c.y;
    EXPECT_TRUE(Opaque(canvas, 28, 112)) << "y " << c.y;
  }
  QImage canvas = Canvas(43, 178);
  QPainter g(&canvas);
  DrawImageBottomPart(QStringLiteral("112"), g, 178);
  DrawImageBottomPart(QStringLiteral("112"), g, 400);
  g.end();
  EXPECT_TRUE(AllEmpty(canvas));
}

TEST_F(SkinTest, LeftPartRevealsColumnsUpToWidth) {
  // The 170 x 30 slider fill's bar runs along row 13 from column 7 to column 128.
  struct Case {
    int width;
    int lastColumn;  // last column that shows the bar, -1 none
  } cases[] = {{50, 49}, {8, 7}, {7, -1}, {0, -1}, {-3, -1}, {500, 128}};
  for (const Case& c : cases) {
    QImage canvas = Canvas(170, 30);
    QPainter g(&canvas);
    DrawImageLeftPart(QStringLiteral("141"), g, c.width);
    g.end();
    if (c.lastColumn < 0) {
      EXPECT_TRUE(AllEmpty(canvas)) << "width " << c.width;
      continue;
    }
    EXPECT_TRUE(Opaque(canvas, c.lastColumn, 13)) << "width " << c.width;
    EXPECT_TRUE(Empty(canvas, c.lastColumn + 1, 13)) << "width " << c.width;
  }
}

TEST(SkinTextTest, LayoutRectangleFollowsPositionAndField) {
  struct Case {
    const char* text;
    const char* pos;
    int widthChars;
    QRectF rect;
  } cases[] = {
      {"abc", "7,120.5", 0, QRectF(7, 120.5, 7 + 900, 120.5 + 300)},
      {"0.0", "8,125", 4, QRectF(8 + 3, 125, 11 + 360, 425)},
      {"100%", "30,160", 2, QRectF(30 - 6, 160, 24 + 180, 460)},
      {"0.70", "5,151", 5, QRectF(5 + 3, 151, 8 + 450, 451)},
      {"x", "junk", 0, QRectF(0, 0, 300, 300)},
      {"x", "12", 0, QRectF(12, 0, 312, 300)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SkinTextRect(QString::fromUtf8(c.text), QString::fromUtf8(c.pos), c.widthChars),
              c.rect)
        << c.text << " at " << c.pos;
  }
}

QRect Ink(const QImage& img) {
  QRect box;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      if (qAlpha(img.pixel(x, y)) > 64) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

QImage Text(const QString& text, const QString& pos, int widthChars, QRgb colour = 0xffffffff) {
  QImage canvas = Canvas(200, 200);
  QPainter g(&canvas);
  DrawSkinText(g, text, colour, pos, widthChars);
  return canvas;
}

TEST_F(SkinTest, TextStartsAtItsPositionAndFieldsShiftIt) {
  const QRect at = Ink(Text(QStringLiteral("88"), QStringLiteral("7,120.5"), 0));
  ASSERT_FALSE(at.isNull());
  EXPECT_GE(at.left(), 7);
  EXPECT_LE(at.left(), 9);
  EXPECT_GE(at.top(), 120);
  EXPECT_LE(at.top(), 125);
  EXPECT_LE(at.height(), 12);
  // A one-character text in a field of two starts 3 pixels further right.
  const QRect plain = Ink(Text(QStringLiteral("8"), QStringLiteral("40,40"), 0));
  const QRect field = Ink(Text(QStringLiteral("8"), QStringLiteral("40,40"), 2));
  EXPECT_EQ(field.left() - plain.left(), 3);
  EXPECT_EQ(field.top(), plain.top());
  // The colour is the one asked for, alpha included.
  const QImage red = Text(QStringLiteral("8"), QStringLiteral("40,40"), 0, qRgba(255, 0, 0, 176));
  int maxAlpha = 0;
  for (int y = 0; y < red.height(); ++y) {
    for (int x = 0; x < red.width(); ++x) {
      const QRgb p = red.pixel(x, y);
      maxAlpha = std::max(maxAlpha, qAlpha(p));
      if (qAlpha(p) > 0) {
        EXPECT_EQ(qGreen(p), 0);
      }
    }
  }
  EXPECT_GE(maxAlpha, 168);
  EXPECT_LE(maxAlpha, 176);
}

TEST_F(SkinTest, TextFontHasChineseGlyphs) {
  EXPECT_TRUE(QFontDatabase::families().contains(SkinFontFamily())) << SkinFontFamily().toStdString();
  QFont f(SkinFontFamily());
  f.setPixelSize(12);
  const QFontMetrics m(f);
  for (QChar c : QStringLiteral("音乐话筒旁路复位")) {
    EXPECT_TRUE(m.inFont(c)) << static_cast<int>(c.unicode());
  }
  const QRect ink = Ink(Text(QStringLiteral("旁路"), QStringLiteral("10,10"), 0));
  EXPECT_GT(ink.width(), 16);
}

// What the skin's text must look like: Qt's own layout and drawing of it in the skin font.
QImage DrawnByLayout(QImage canvas, const QString& text, QRgb colour, QPointF at, const QRegion& clip) {
  QFont font(SkinFontFamily());
  font.setPixelSize(12);
  font.setWeight(QFont::Normal);
  QPainter g(&canvas);
  if (!clip.isEmpty()) g.setClipRegion(clip);
  g.setFont(font);
  g.setPen(QColor::fromRgba(colour));
  g.setRenderHint(QPainter::TextAntialiasing, true);
  QStaticText laid(text);
  laid.setTextFormat(Qt::PlainText);
  laid.prepare(QTransform(), font);
  g.drawStaticText(at, laid);
  return canvas;
}

QImage DrawnBySkin(QImage canvas, const QString& text, QRgb colour, QPointF at, const QRegion& clip) {
  QPainter g(&canvas);
  if (!clip.isEmpty()) g.setClipRegion(clip);
  DrawSkinTextAt(g, text, colour, at, 0);
  return canvas;
}

// Opaque pixels that differ from one to the next, so that every blend shows.
QImage Pattern(QImage::Format format) {
  QImage img(96, 40, format);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb((x * 37) % 256, (y * 53) % 256, (x * y) % 256));
  return img;
}

// The texts the graph and the strips draw (numbers, units, words of both languages), pairs the
// font kerns, and texts placed character by character cannot describe (a character the font
// lacks, a surrogate pair, a control, trailing blanks): every one lands on the pixels Qt's own
// layout gives, into a premultiplied image (written straight) and through the painter (another
// format, a clip of two rectangles), at whole and fractional positions, and its bounds are the
// layout's.
TEST_F(SkinTest, TextsLandOnThePixelsOfTheLayout) {
  const QString texts[] = {
      QStringLiteral("1000.5Hz"), QStringLiteral("-12.5dB"), QStringLiteral("0.71 Q"), QStringLiteral("OFF"),
      QStringLiteral(" +6dB"),    QStringLiteral("AV To Wa"), QStringLiteral("P.Y,L'T\"\"C"),
      QStringLiteral("旁路 增益 3dB"), QStringLiteral("x\u266B 3"), QStringLiteral("a\U0001F600b"),
      QStringLiteral("1\t2"), QStringLiteral("20Hz  ")};
  // Whole, fractional and negative; every sub-pixel step of 1/64 and either side of the pixel
  // rows' middle come up in the sweep.
  std::vector<QPointF> positions = {{7, 20}, {10.5, 20.25}, {21.5, 15.264661}, {51.901215, 10}, {-3.3, -2.7}};
  for (int k = 0; k < 64; ++k) positions.emplace_back(5 + k * (1 + 1 / 64.0) + 0.3 / 64, 3 + k / 128.0 + 0.2 / 64);
  const QRgb colours[] = {qRgba(255, 255, 255, 176), qRgba(20, 200, 90, 255)};
  struct Target {
    const char* name;
    QImage canvas;
    QRegion clip;
  } targets[] = {
      {"transparent premultiplied", Canvas(96, 40), {}},
      {"opaque premultiplied", Pattern(QImage::Format_ARGB32_Premultiplied), {}},
      {"premultiplied under one clip", Pattern(QImage::Format_ARGB32_Premultiplied), QRegion(10, 5, 50, 20)},
      {"premultiplied under two clips", Pattern(QImage::Format_ARGB32_Premultiplied),
       QRegion(0, 0, 30, 40) + QRegion(40, 0, 56, 24)},
      {"RGB32", Pattern(QImage::Format_RGB32), {}},
  };
  QFont font(SkinFontFamily());
  font.setPixelSize(12);
  const QFontMetricsF metrics(font);
  for (const QString& text : texts) {
    const QRectF laid = metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    for (const QPointF& at : positions) {
      EXPECT_EQ(SkinTextBoundsAt(text, at, 0), laid.translated(at)) << text.toStdString();
      for (QRgb colour : colours)
        for (const Target& t : targets)
          ASSERT_EQ(DrawnBySkin(t.canvas, text, colour, at, t.clip), DrawnByLayout(t.canvas, text, colour, at, t.clip))
              << text.toStdString() << " at " << at.x() << "," << at.y() << " colour " << std::hex << colour << " into "
              << t.name;
    }
  }
}

// The glyphs kept for drawing are bounded: past the bound they are dropped and drawn anew, and
// what is drawn stays the layout's.
TEST_F(SkinTest, TextsStayTheLayoutsPastTheGlyphBound) {
  const QImage canvas = Pattern(QImage::Format_ARGB32_Premultiplied);
  const QString text = QStringLiteral("-10.25dB");
  // Some five thousand glyph images: eight glyphs at eight positions each in 80 colours.
  for (int k = 0; k < 80; ++k) {
    const QRgb colour = qRgba(255, 3 * k, 255 - 3 * k, 255);
    for (int step = 0; step < 64; step += 9) {
      const QPointF at(5 + step / 64.0, 10);
      ASSERT_EQ(DrawnBySkin(canvas, text, colour, at, {}), DrawnByLayout(canvas, text, colour, at, {}))
          << "colour " << k << " step " << step;
    }
  }
}

TEST_F(SkinTest, SurfacesAreFreshAndReleasable) {
  Surface s;
  CreateSurface(s, QSize(120, 40));
  ASSERT_NE(s.painter, nullptr);
  EXPECT_TRUE(s.painter->isActive());
  EXPECT_EQ(s.image.size(), QSize(120, 40));
  EXPECT_TRUE(AllEmpty(s.image));
  s.painter->fillRect(0, 0, 10, 10, Qt::red);
  // Creating again releases the old surface and starts transparent at the new size.
  CreateSurface(s, QSize(30, 20));
  ASSERT_NE(s.painter, nullptr);
  EXPECT_EQ(s.image.size(), QSize(30, 20));
  s.painter->end();
  EXPECT_TRUE(AllEmpty(s.image));
  ReleaseSurface(s);
  EXPECT_EQ(s.painter, nullptr);
  EXPECT_TRUE(s.image.isNull());
  ReleaseSurface(s);  // twice is harmless
  CreateSurface(s, QSize(0, 0));
  EXPECT_EQ(s.painter, nullptr);
}

TEST_F(SkinTest, BackgroundCaptureRendersWhatLiesBehind) {
  Surface s;
  int calls = 0;
  const auto behind = [&calls](QPainter& p) {
    ++calls;
    p.fillRect(0, 0, 10, 5, QColor(0, 0, 255));
  };
  const QRect r = CaptureBackground(s, QSize(64, 32), behind, false);
  EXPECT_EQ(r, QRect(0, 0, 64, 32));
  EXPECT_EQ(calls, 1);
  ASSERT_NE(s.painter, nullptr);
  s.painter->end();
  EXPECT_EQ(s.image.pixel(9, 4), qRgb(0, 0, 255));
  EXPECT_EQ(qAlpha(s.image.pixel(10, 4)), 0);
  // While closing nothing is captured and the old capture stays.
  const QRect none = CaptureBackground(s, QSize(8, 8), behind, true);
  EXPECT_TRUE(none.isEmpty());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(s.image.size(), QSize(64, 32));
}

TEST_F(SkinTest, LoadingTwiceKeepsTheDecodedImages) {
  // Mark a pixel of the cached image; a second LoadSkin that decoded again would lose the mark.
  QImage& cached = const_cast<QImage&>(SkinImage(id::kGraphBack));
  const QRgb original = cached.pixel(0, 0);
  const QRgb mark = qRgb(1, 2, 3);
  cached.setPixel(0, 0, mark);
  LoadSkin();
  EXPECT_EQ(SkinImage(id::kGraphBack).pixel(0, 0), mark);
  const_cast<QImage&>(SkinImage(id::kGraphBack)).setPixel(0, 0, original);
}

}  // namespace
}  // namespace mirelune::skin
