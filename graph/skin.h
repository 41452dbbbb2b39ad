// SPDX-License-Identifier: GPL-3.0-or-later
// Skin images and the drawing primitives the controls and the graph draw with.
//
// Images are PNGs in the program's Qt resources, ":/skin/<id>.png" for ids 101..394, each
// decoded when it is first drawn or measured after LoadSkin() and kept for the whole run. Images that carry words (captions of buttons,
// tabs, labels, list items) exist in two languages: ":/skin/<id>.png" with Chinese captions and
// ":/skin_en/<id>.png" with English ones; SetSkinLanguage() chooses which set is decoded. Drawing
// code names an image by its id, as a number (303) or, from layout tables, as text ("303"); an id
// without an image draws nothing.
// Everything here runs on the UI thread.
#pragma once

#include <functional>

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QRgb>
#include <QSize>
#include <QString>

namespace mirelune::skin {

constexpr int kFirstId = 101;
constexpr int kLastImageId = 394;  // last id that has an image
constexpr int kTableSize = 400;    // ids 101..500 have a slot

// The language of the captions drawn on the skin images.
enum class SkinLanguage { Chinese, English };

// Chooses the language of the skin; Chinese until called. Call it at start-up before the first
// window is built: it then only records the choice and the first LoadSkin chooses that set. Once
// the skin is loaded, choosing another language drops the decoded images at once, so everything drawn
// afterwards, by existing controls too, shows the new captions (the console rebuilds its windows
// after a switch anyway, since texts outside the skin change as well). Choosing the language
// already chosen does nothing.
void SetSkinLanguage(SkinLanguage language);
SkinLanguage CurrentSkinLanguage();

// Makes the skin of the chosen language the one drawn: each image is decoded at its first use,
// the English image of an id where the resources have one (":/skin_en/<id>.png"), else the
// Chinese one. Later calls do nothing until the language changes. Before the first call every
// image is empty. An image that is missing or cannot be decoded keeps an empty slot (it then
// draws nothing).
void LoadSkin();
// Decodes every image of the chosen language from the resources again, replacing the cache, and
// returns how many were decoded: what a window using the whole skin costs; it exists for
// measuring that work.
int DecodeSkinImages();

// The slot of an id text ("303" -> 202): its numeric value - 101, rounded half to even.
// Throws std::out_of_range for text that is not a number or lies outside 101..500 (a
// programming error in a layout table).
int SkinIndex(const QString& idText);

// The decoded image of an id (null QImage when it has none), and its size (0x0 when none).
const QImage& SkinImage(int id);
QSize SkinSize(int id);

// Angle 0 (or exactly 360): draws at (x, y), scaled to width x height when height != 0,
// otherwise in its natural size. Any other angle: rotated by `angle` degrees about its centre and
// placed with its centre at (w/2, h/2) of the target; x and y are then unused.
// An id outside 101..500 throws std::out_of_range, as SkinIndex does for its text.
void DrawSkinImage(int id, QPainter& g, qreal x, qreal y, qreal angle = 0, qreal height = 0, qreal width = 0);
void DrawSkinImage(const QString& id, QPainter& g, qreal x, qreal y, qreal angle = 0,
                   qreal height = 0, qreal width = 0);
// The part `from` of `image` drawn at `to`, in bands of rows: Qt hands a draw of more than
// about 96 rows to its thread pool and waits for it, and that hand-over (wake-ups, futexes)
// costs more than a copy of the graph's size on this thread.
void DrawImageRows(QPainter& g, QPoint to, const QImage& image, const QRect& from);
// Rows y..bottom of the image, drawn in place (level bars).
void DrawImageBottomPart(int id, QPainter& g, int y);
void DrawImageBottomPart(const QString& id, QPainter& g, int y);
// Columns 0..width of the image at (0, 0), full height (progress bars).
void DrawImageLeftPart(int id, QPainter& g, int width);
void DrawImageLeftPart(const QString& id, QPainter& g, int width);

// 12-pixel CJK text ("宋体" where installed, else WenQuanYi Micro Hei) in an ARGB colour.
// `pos` is "x,y" in decimal (fractions allowed). widthChars 0: the text starts at x;
// c > 0: the left edge is x + 3 * (c - length), which right-aligns shorter texts in a field of c.
void DrawSkinText(QPainter& g, const QString& text, QRgb argb, const QString& pos, int widthChars);
// The layout rectangle DrawSkinText uses: left and top as above; width left + 300 * length
// (widthChars 0) or left + 90 * c, height top + 300 (20 twips a character cell, 15 twips a
// pixel). A coordinate that is not a number counts as 0.
QRectF SkinTextRect(const QString& text, const QString& pos, int widthChars);
// Where DrawSkinText's glyphs land: the bounding box of the text laid out in SkinTextRect.
QRectF SkinTextBounds(const QString& text, const QString& pos, int widthChars);
// The same two with the position as numbers ("x,y" parsed): what the graph draws at every frame.
// A text is placed from what the layout gives for its characters and their pairs (learnt once),
// not laid out anew, so a value that changes at every move costs only its glyphs; the pixels are
// the layout's.
void DrawSkinTextAt(QPainter& g, const QString& text, QRgb argb, QPointF at, int widthChars);
QRectF SkinTextBoundsAt(const QString& text, QPointF at, int widthChars);
// The family DrawSkinText draws with: "宋体" when the system has it, else WenQuanYi Micro Hei.
QString SkinFontFamily();

// An off-screen drawing surface: an ARGB image and a painter on it.
struct Surface {
  QImage image;
  QPainter* painter = nullptr;  // owned; valid between CreateSurface and ReleaseSurface
  Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  ~Surface();
};
// Releases what the surface held, then makes a fresh transparent surface of `size`.
void CreateSurface(Surface& s, QSize size);
void ReleaseSurface(Surface& s);

// What lies behind a control, as the control's own background: makes `s` a fresh surface of
// `clientSize` and lets `renderBehind` paint into it (the parent widget rendering itself, never a
// grab of the screen). Returns the captured rectangle (0, 0, clientSize). While `closing` is true
// nothing is captured, `s` is left as it was and the rectangle is empty.
QRect CaptureBackground(Surface& s, QSize clientSize,
                        const std::function<void(QPainter&)>& renderBehind, bool closing);

}  // namespace mirelune::skin
