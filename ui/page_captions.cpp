#include "ui/page_captions.h"

#include <array>

namespace mirelune::ui {
namespace {

// Written in pixels of the page container (the layout is tight; captions fill its gaps).
Caption Make(Caption::Kind k, int x, int y, int w, int h, const char* text) {
  return {k, {x * 15, y * 15, w * 15, h * 15}, QString::fromUtf8(text)};
}
Caption T(int x, int y, int w, const char* text) { return Make(Caption::Title, x, y, w, 14, text); }
Caption L(int x, int y, int w, int h, const char* text) { return Make(Caption::Label, x, y, w, h, text); }
Caption C(int x, int y, int w, const char* text) { return Make(Caption::Centred, x, y, w, 14, text); }

// The compressor column of the output pages: labels left of the four sliders.
void Compressor(std::vector<Caption>& out, int labelX, int titleX, int titleY, const std::array<int, 4>& rows,
                int height) {
  out.push_back(T(titleX, titleY, 150, "压缩器"));
  const char* const names[] = {"阈值", "启动", "释放", "比率"};
  for (size_t i = 0; i < 4; ++i) out.push_back(L(labelX, rows[i], 30, height, names[i]));
}

// The mix into an output: music, microphone, reverb and echo volumes, two rows of two.
void Mix(std::vector<Caption>& out, int top1, int top2) {
  out.push_back(L(44, top1, 40, 26, "音乐"));
  out.push_back(L(44, top2, 40, 26, "话筒"));
  out.push_back(L(300, top1, 38, 26, "混响"));
  out.push_back(L(300, top2, 38, 26, "回声"));
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
           T(716, 18, 90, "输出选项"), L(736, 37, 60, 16, "选项1"), L(736, 59, 60, 16, "选项2"),
           T(70, 217, 56, "输入源")};
      {
        const int xs[] = {128, 192, 256, 328, 416, 496, 584, 640};
        const char* const names[] = {"输入1", "输入2", "输入3", "输入4", "输入5", "输入6", "输入7", "输入8"};
        for (int i = 0; i < 8; ++i) c.push_back(L(xs[i] + 19, 216, 36, 16, names[i]));
      }
      break;
    case 1:
      c = {T(42, 192, 200, "话筒1.2 均衡器"), L(50, 218, 36, 30, "高通"),
           T(380, 203, 120, "话筒选项")};
      Compressor(c, 822, 822, 34, {54, 101, 151, 197}, 40);
      // The compressor's labels stand right of its column here.
      {
        const int xs[] = {446, 496, 561, 624};
        const char* const names[] = {"选项1", "选项2", "选项3", "选项4"};
        for (int i = 0; i < 4; ++i) c.push_back(L(xs[i] + 19, 220, 36, 16, names[i]));
      }
      break;
    case 2:
      c = {L(50, 218, 36, 30, "高通"), L(262, 218, 52, 26, "话筒音量"), T(813, 36, 140, "压缩器")};
      break;
    case 3:
      c = {L(236, 38, 78, 14, "混响模式"),
           L(300, 15, 92, 16, "回声音量"), L(300, 108, 92, 26, "混响音量"),
           L(300, 137, 92, 30, "回声高切"), L(300, 164, 92, 30, "回声低切"),
           L(300, 196, 92, 30, "回声次数"), L(300, 224, 92, 30, "回声阻尼"),
           L(410, 45, 64, 30, "混响高切"), L(410, 75, 64, 30, "混响低切"),
           L(655, 15, 84, 26, "回声直达"), L(655, 45, 84, 30, "混响预延时"),
           L(655, 75, 84, 30, "混响时间"), L(655, 108, 84, 26, "混响直达"),
           L(655, 137, 84, 30, "回声预延时"), L(655, 164, 84, 30, "回声延时"),
           L(655, 196, 84, 30, "右预延时"), L(655, 224, 84, 30, "右延时偏移")};
      break;
    case 4:
      Compressor(c, 527, 557, 36, {55, 101, 152, 198}, 40);
      HighPass(c, 788, 27, 744, 53);
      c.push_back(L(712, 111, 56, 30, "左音量"));
      c.push_back(L(712, 147, 56, 30, "右音量"));
      c.push_back(L(712, 186, 56, 30, "左延时"));
      c.push_back(L(712, 227, 56, 30, "右延时"));
      Mix(c, 204, 228);
      break;
    case 5:
      Compressor(c, 529, 559, 37, {56, 102, 152, 199}, 40);
      HighPass(c, 796, 28, 752, 52);
      c.push_back(L(712, 108, 56, 30, "左音量"));
      c.push_back(L(712, 145, 56, 30, "右音量"));
      c.push_back(L(712, 187, 56, 30, "左延时"));
      c.push_back(L(712, 223, 56, 30, "右延时"));
      Mix(c, 203, 228);
      break;
    case 6:
      Compressor(c, 529, 559, 37, {56, 102, 152, 199}, 40);
      HighPass(c, 796, 28, 752, 52);
      c.push_back(L(712, 108, 46, 30, "音量"));
      c.push_back(L(712, 149, 46, 30, "延时"));
      Mix(c, 203, 228);
      break;
    case 7:
      c = {T(48, 6, 120, "超低音 均衡器")};
      Compressor(c, 296, 328, 49, {65, 111, 161, 209}, 40);
      c.push_back(L(480, 63, 120, 14, "超低音音量"));
      c.push_back(L(480, 112, 120, 14, "延时"));
      c.push_back(L(480, 161, 120, 14, "音乐音量"));
      c.push_back(L(480, 206, 120, 14, "话筒音量"));
      c.push_back(L(504, 39, 34, 17, "相位"));
      c.push_back(L(682, 53, 44, 30, "高通"));
      c.push_back(L(682, 115, 44, 30, "低通"));
      c.push_back(T(776, 14, 140, "高通类型"));
      c.push_back(T(776, 77, 140, "低通类型"));
      c.push_back(T(700, 174, 140, "控制对象"));
      {
        const int xs[] = {700, 744, 788, 836, 880};
        const char* const names[] = {"音乐", "主输出", "辅助", "中置", "超低音"};
        for (int i = 0; i < 5; ++i) c.push_back(C(xs[i] - 8, 220, 45, names[i]));
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
