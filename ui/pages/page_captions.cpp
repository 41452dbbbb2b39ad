// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pages/page_captions.h"

#include <array>
#include <utility>

namespace mirelune::ui {
namespace {

// Written in pixels of the page container (the layout is tight; captions fill its gaps).
Caption Make(Caption::Kind k, int x, int y, int w, int h, const char* text) {
  return {k, {x * 15, y * 15, w * 15, h * 15}, QString::fromUtf8(text)};
}
Caption T(int x, int y, int w, const char* text) { return Make(Caption::Title, x, y, w, 14, text); }
Caption L(int x, int y, int w, int h, const char* text) { return Make(Caption::Label, x, y, w, h, text); }
Caption C(int x, int y, int w, const char* text) { return Make(Caption::Centred, x, y, w, 14, text); }
Caption L(int x, int y, int w, int h, ContextText text) {
  Caption c = L(x, y, w, h, text.source);
  c.context = text.context;
  return c;
}

// The compressor column of the output pages: labels left of the four sliders.
void Compressor(std::vector<Caption>& out, int labelX, int titleX, int titleY, const std::array<int, 4>& rows,
                int height) {
  out.push_back(T(titleX, titleY, 150, "压缩器"));
  // "启动" is also the remote's start button: the attack has a context of its own.
  const ContextText names[] = {InContext(kTrContext, "阈值"), InContext("Compressor", "启动"),
                               InContext(kTrContext, "释放"), InContext(kTrContext, "比率")};
  for (size_t i = 0; i < 4; ++i) out.push_back(L(labelX, rows[i], 30, height, names[i]));
}

// The mix into an output: music, microphone, reverb and echo volumes, two rows of two.
void Mix(std::vector<Caption>& out) {
  constexpr int kTop1 = 200, kTop2 = 226;
  out.push_back(L(40, kTop1, 44, 26, "音乐"));
  out.push_back(L(40, kTop2, 44, 26, "话筒"));
  out.push_back(L(296, kTop1, 44, 26, "混响"));
  out.push_back(L(296, kTop2, 44, 26, "回声"));
}

// A radio group of the microphone pages, four buttons at these left edges: each button is named
// by the level it sets, the group by what it does. FBX, the group's name in the layout, is the
// usual name of a feedback suppressor; its four values run from off to the strongest setting,
// as the system settings' own off/1/2/3 list does.
void FeedbackSuppression(std::vector<Caption>& out, const std::array<int, 4>& xs, int top) {
  out.push_back(T(xs[0], top - 17, 200, "啸叫抑制"));
  const char* const names[] = {"关", "1", "2", "3"};
  for (size_t i = 0; i < 4; ++i) out.push_back(L(xs[i] + 19, top, 24, 16, names[i]));
}

// The high-pass filter of an output: its type list and frequency slider.
void HighPass(std::vector<Caption>& out, int comboX, int comboY, int sliderX, int sliderY) {
  out.push_back(T(comboX, comboY - 17, 140, "高通滤波器"));
  out.push_back(L(comboX - 36, comboY, 34, 20, "类型"));
  out.push_back(L(sliderX - 34, sliderY, 32, 30, "频点"));
}

std::vector<Caption> Build(int page) {
  std::vector<Caption> c;
  switch (page) {
    case 0:
      c = {T(40, 190, 200, "均衡器 EQ1–EQ12"),
           T(664, 100, 150, "高通滤波器"), T(664, 181, 150, "低通滤波器"),
           // The values of this system setting as the system settings' list names them.
           T(716, 18, 90, "输出选项"), L(736, 37, 60, 16, "关"), L(736, 59, 60, 16, "1"),
           T(70, 217, 56, "输入源")};
      {
        // The buttons stand 64 pixels apart from 128 (ui/pages/system_buttons_table.cpp).
        const char* const names[] = {"输入1", "输入2", "输入3", "输入4", "输入5", "输入6", "输入7", "输入8"};
        for (int i = 0; i < 8; ++i) c.push_back(L(128 + 64 * i + 19, 216, 40, 16, names[i]));
      }
      break;
    case 1:
      c = {T(42, 192, 200, "话筒1.2 均衡器"), L(32, 218, 54, 30, "高通")};
      // The compressor's labels stand right of its column here.
      Compressor(c, 822, 822, 34, {54, 101, 151, 197}, 40);
      FeedbackSuppression(c, {446, 496, 561, 624}, 220);
      break;
    case 2:
      // The page of microphone 3: its volume needs no other name. The compressor column
      // stands close to the strips, so it has its title only.
      c = {L(32, 218, 54, 30, "高通"), L(262, 218, 52, 26, "音量"), T(808, 36, 140, "压缩器")};
      FeedbackSuppression(c, {586, 636, 701, 764}, 220);
      break;
    case 3:
      // Left column beside the reverb mode list, the reverb cuts right of the list, the
      // directs and delays at the right edge; rows as in ui/pages/page_table.cpp.
      c = {L(232, 38, 72, 20, "混响模式"),
           L(300, 15, 92, 26, "回声音量"), L(300, 105, 92, 26, "混响音量"),
           L(300, 131, 92, 30, "回声高切"), L(300, 161, 92, 30, "回声低切"),
           L(300, 191, 92, 30, "回声次数"), L(300, 221, 92, 30, "回声阻尼"),
           L(410, 45, 96, 30, "混响高切"), L(410, 75, 96, 30, "混响低切"),
           L(684, 15, 88, 26, "回声直达"), L(684, 45, 88, 30, "混响预延时"),
           L(684, 75, 88, 30, "混响时间"), L(684, 105, 88, 26, "混响直达"),
           L(684, 131, 88, 30, "回声预延时"), L(684, 161, 88, 30, "回声延时"),
           L(684, 191, 88, 30, "右预延时"), L(684, 221, 88, 30, "右延时偏移")};
      break;
    case 4:
      Compressor(c, 527, 557, 36, {55, 101, 152, 198}, 40);
      HighPass(c, 788, 27, 744, 53);
      c.push_back(L(712, 111, 50, 30, "左音量"));
      c.push_back(L(712, 147, 50, 30, "右音量"));
      c.push_back(L(712, 186, 50, 30, "左延时"));
      c.push_back(L(712, 222, 50, 30, "右延时"));
      Mix(c);
      break;
    case 5:
      Compressor(c, 529, 559, 37, {56, 102, 152, 199}, 40);
      HighPass(c, 796, 28, 752, 52);
      c.push_back(L(712, 108, 50, 30, "左音量"));
      c.push_back(L(712, 145, 50, 30, "右音量"));
      c.push_back(L(712, 187, 50, 30, "左延时"));
      c.push_back(L(712, 222, 50, 30, "右延时"));
      Mix(c);
      break;
    case 6:
      Compressor(c, 529, 559, 37, {56, 102, 152, 199}, 40);
      HighPass(c, 796, 28, 752, 52);
      c.push_back(L(712, 108, 46, 30, "音量"));
      c.push_back(L(712, 149, 46, 30, "延时"));
      Mix(c);
      break;
    case 7:
      c = {T(48, 6, 120, "超低音 均衡器")};
      Compressor(c, 296, 328, 49, {65, 111, 161, 209}, 40);
      c.push_back(L(480, 63, 120, 14, "超低音音量"));
      c.push_back(L(480, 112, 120, 14, "延时"));
      c.push_back(L(480, 161, 120, 14, "音乐音量"));
      c.push_back(L(480, 206, 120, 14, "话筒音量"));
      c.push_back(L(504, 39, 34, 17, "相位"));
      // Each crossover filter: its title on a row of its own, the type list and the
      // frequency slider under it (ui/pages/page_table.cpp).
      for (const auto& [title, top] : {std::pair{"高通滤波器", 12}, std::pair{"低通滤波器", 80}}) {
        c.push_back(T(738, top, 200, title));
        c.push_back(L(738, top + 17, 36, 21, "类型"));
        c.push_back(L(682, top + 38, 44, 30, "频点"));
      }
      c.push_back(T(700, 174, 140, "控制对象"));
      {
        // Centred under the buttons (29 pixels wide); the last name has room to the right.
        const int xs[] = {700, 744, 788, 836, 884};
        const int widths[] = {45, 45, 45, 45, 60};
        const char* const names[] = {"音乐", "主输出", "辅助", "中置", "超低音"};
        for (int i = 0; i < 5; ++i) c.push_back(C(xs[i] + 14 - widths[i] / 2, 220, widths[i], names[i]));
      }
      break;
    default:
      break;
  }
  return c;
}

}  // namespace

const std::vector<Caption>& PageCaptions(int page) {
  static const std::array<std::vector<Caption>, 8> pages = [] {
    std::array<std::vector<Caption>, 8> a;
    for (int p = 0; p < 8; ++p) a[static_cast<size_t>(p)] = Build(p);
    return a;
  }();
  static const std::vector<Caption> none;
  return page >= 0 && page < 8 ? pages[static_cast<size_t>(page)] : none;
}

std::vector<Caption> TopBarCaptions() {
  return {Make(Caption::Label, 112, 8, 54, 16, "音乐"), Make(Caption::Label, 384, 8, 40, 16, "话筒"),
          Make(Caption::Label, 644, 8, 48, 16, "效果")};
}

}  // namespace mirelune::ui
