// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "model/menu_catalogue.h"

namespace mirelune {
namespace {

TEST(MenuCatalogue, ItemCounts) {
  MenuCatalogue m;
  m.CountMenuItems();
  const int counts[] = {16, 21, 21, 41, 24, 21, 19, 23, 8, 8, 0};
  for (int k = 0; k < kKindCount; ++k) EXPECT_EQ(m.MenuItemCount[k], counts[k]) << "kind " << k;
  // Every item has a parseable address inside its kind.
  for (int k = 0; k < kCatalogueKinds; ++k)
    for (int a : MenuCatalogue::CatalogueAddresses(k)) {
      EXPECT_GE(a, 0);
      EXPECT_LT(a, 256);
    }
}

TEST(MenuCatalogue, HiddenItemsMapToTheirCatalogueAddress) {
  MenuCatalogue m;
  m.CountMenuItems();
  m.MenuHidden[3][0] = 1;  // "回声效果音量", &H26
  m.MenuHidden[1][1] = 1;  // "高通滤波器", &H14 - not the high-pass record at 256
  m.MenuHidden[0][0] = 1;  // "高通滤波器频点", &HF
  m.AddrHidden[2000] = 1;  // named by no item: kept
  m.MapHiddenToAddresses();
  EXPECT_EQ(m.AddrHidden[806], 1);
  EXPECT_EQ(m.AddrHidden[276], 1);
  EXPECT_EQ(m.AddrHidden[256], 0);
  EXPECT_EQ(m.AddrHidden[15], 1);
  EXPECT_EQ(m.AddrHidden[2000], 1);
  m.MenuHidden[3][0] = 0;
  m.MapHiddenToAddresses();
  EXPECT_EQ(m.AddrHidden[806], 0);
}

TEST(MenuCatalogue, Names) {
  auto names = MenuCatalogue::CatalogueNames(7);
  ASSERT_EQ(names.size(), 23u);
  EXPECT_EQ(names[3], "控制对象：音乐通道");
  EXPECT_EQ(MenuCatalogue::CatalogueNames(3)[10], "Echo EQ1");
  EXPECT_TRUE(MenuCatalogue::CatalogueNames(10).empty());
  EXPECT_STREQ(CatalogueKindCaption(2), "话筒3.4");
}

TEST(MenuCatalogue, ParseMenuNumber) {
  int v = 0;
  EXPECT_TRUE(ParseMenuNumber("&H1E", v));
  EXPECT_EQ(v, 30);
  EXPECT_TRUE(ParseMenuNumber("12", v));
  EXPECT_EQ(v, 12);
  EXPECT_FALSE(ParseMenuNumber("&H", v));
  EXPECT_FALSE(ParseMenuNumber("1x", v));
}

}  // namespace
}  // namespace mirelune
