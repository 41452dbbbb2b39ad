// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/menu_catalogue.h"

#include <cstdlib>
#include <sstream>

namespace mirelune {
namespace {

const char* const kMic =
    "话筒音量,0,高通滤波器,&H14,EQ1,1,EQ2,2,EQ3,3,EQ4,4,EQ5,5,EQ6,6,EQ7,7,EQ8,8,EQ9,9,EQ10,10,"
    "EQ11,11,EQ12,12,EQ13,13,EQ14,14,EQ15,15,启动电平,16,压缩比例,17,启动时间,18,释放时间,19";

const char* const kLiterals[kKindCount] = {
    "高通滤波器频点,&HF,EQ1,0,EQ2,1,EQ3,2,EQ4,3,EQ5,4,EQ6,5,EQ7,6,EQ8,7,EQ9,8,EQ10,9,EQ11,10,"
    "EQ12,11,EQ13,12,EQ14,13,EQ15,14",
    kMic,
    kMic,
    "回声效果音量,&H26,回声直达音量,&H27,回声预延时,0,回声延时,1,回声次数,2,回声高频阻尼,3,"
    "回声右预延时,4,回声右延时,5,回声低切,6,回声高切,7,Echo EQ1,8,Echo EQ2,9,Echo EQ3,&HA,"
    "Echo EQ4,&HB,Echo EQ5,&HC,混响模式,&H2A,混响效果音量,&H28,混响直达音量,&H29,混响低切,&HD,"
    "混响高切,&HE,混响预延时,&H10,混响时间,&H14,混响高频阻尼,&HF,早期反射延时,&H11,"
    "早期反射高频阻尼,&H12,后期反射延时,&H13,后期反射高频阻尼,&H15,混响空间,&H16,混响密度,&H17,"
    "早期反射音量,&H18,后期反射音量,&H19,Rev EQ1,&H1A,Rev EQ2,&H1B,Rev EQ3,&H1C,Rev EQ4,&H1D,"
    "Rev EQ5,&H1E,EFF EQ1,&H1F,EFF EQ2,&H20,EFF EQ3,&H21,EFF EQ4,&H22,EFF EQ5,&H23",
    "音乐音量,0,话筒音量,1,回声音量,2,混响音量,3,左通道音量,4,右通道音量,5,高通滤波器类型,6,"
    "高通滤波器频点,7,EQ1,8,EQ2,9,EQ3,&HA,EQ4,&HB,EQ5,&HC,EQ6,&HD,EQ7,&HE,EQ8,&HF,EQ9,&H10,"
    "EQ10,&H11,启动电平,&H12,压缩比例,&H13,启动时间,&H14,释放时间,&H15,左通道延时,&H16,"
    "右通道延时,&H17",
    "音乐音量,0,话筒音量,1,回声音量,2,混响音量,3,左通道音量,4,右通道音量,5,高通滤波器类型,6,"
    "高通滤波器频点,7,EQ1,8,EQ2,9,EQ3,&HA,EQ4,&HB,EQ5,&HC,EQ6,&HD,EQ7,&HE,启动电平,&HF,"
    "压缩比例,&H10,启动时间,&H11,释放时间,&H12,左通道延时,&H13,右通道延时,&H14",
    "音乐音量,0,话筒音量,1,回声音量,2,混响音量,3,中置通道音量,4,高通滤波器类型,5,"
    "高通滤波器频点,6,EQ1,7,EQ2,8,EQ3,9,EQ4,10,EQ5,11,EQ6,12,EQ7,13,启动电平,&HE,压缩比例,&HF,"
    "启动时间,&H10,释放时间,&H11,中置通道延时,&H12",
    "音乐音量,0,话筒音量,1,超低音音量,3,控制对象：音乐通道,&H15,控制对象：主输出通道,&H16,"
    "控制对象：辅助通道,&H17,控制对象：中置通道,&H18,控制对象：超低音通道,&H19,超低音相位,6,"
    "高通滤波器类型,7,高通滤波器频点,8,低通滤波器类型,9,低通滤波器频点,10,EQ1,11,EQ2,12,"
    "EQ3,13,EQ4,14,EQ5,15,启动电平,&H10,压缩比例,&H11,启动时间,&H12,释放时间,&H13,"
    "超低音通道延时,&H14",
    "音乐音量L,0,音乐音量R,1,话筒音量,2,回声音量L,3,回声音量R,4,混响音量L,5,混响音量R,6,"
    "录音L通道音量,7",
    "音乐音量L,0,音乐音量R,1,话筒音量,2,回声音量L,3,回声音量R,4,混响音量L,5,混响音量R,6,"
    "录音R通道音量,7",
    "",
};

const char* const kCaptions[kKindCount] = {"音乐",     "话筒1.2",  "话筒3.4", "效果",  "主输出",
                                           "辅助输出", "中置输出", "超低输出", "录音L", "录音R",
                                           ""};

std::vector<std::string> Fields(int kind) {
  std::vector<std::string> out;
  const char* lit = CatalogueLiteral(kind);
  if (*lit == '\0') return out;
  std::stringstream in(lit);
  std::string f;
  while (std::getline(in, f, ',')) out.push_back(f);
  return out;
}

}  // namespace

const char* CatalogueLiteral(int kind) {
  return kind >= 0 && kind < kKindCount ? kLiterals[kind] : "";
}

const char* CatalogueKindCaption(int kind) {
  return kind >= 0 && kind < kKindCount ? kCaptions[kind] : "";
}

bool ParseMenuNumber(const std::string& text, int& value) {
  if (text.empty()) return false;
  int base = 10;
  const char* s = text.c_str();
  if (text.size() > 2 && (text[0] == '&') && (text[1] == 'H' || text[1] == 'h')) {
    base = 16;
    s += 2;
  }
  char* end = nullptr;
  long v = std::strtol(s, &end, base);
  if (end == s || *end != '\0') return false;
  value = static_cast<int>(v);
  return true;
}

void MenuCatalogue::CountMenuItems() {
  for (int k = 0; k < kCatalogueKinds; ++k)
    MenuItemCount[static_cast<size_t>(k)] = static_cast<uint8_t>(Fields(k).size() / 2);
  MenuItemCount[10] = 0;
}

void MenuCatalogue::MapHiddenToAddresses() {
  for (int k = 0; k < kCatalogueKinds; ++k) {
    std::vector<int> addrs = CatalogueAddresses(k);
    for (size_t j = 0; j < addrs.size(); ++j) {
      const int a = MakeAddress(k, addrs[j]);
      if (a >= 0 && a < kAddressCount)
        AddrHidden[static_cast<size_t>(a)] = MenuHidden[static_cast<size_t>(k)][j];
    }
  }
}

std::vector<std::string> MenuCatalogue::CatalogueNames(int kind) {
  std::vector<std::string> f = Fields(kind), names;
  for (size_t i = 0; i + 1 < f.size(); i += 2) names.push_back(f[i]);
  return names;
}

std::vector<int> MenuCatalogue::CatalogueAddresses(int kind) {
  std::vector<std::string> f = Fields(kind);
  std::vector<int> addrs;
  for (size_t i = 0; i + 1 < f.size(); i += 2) {
    int v = 0;
    if (!ParseMenuNumber(f[i + 1], v)) v = -1;
    addrs.push_back(v);
  }
  return addrs;
}

}  // namespace mirelune
