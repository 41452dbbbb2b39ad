// SPDX-License-Identifier: GPL-3.0-or-later
// Which amplifier --device means: hidapi's listing made into rows, identities that survive a
// replug, and the address forms resolved against a listing.
#include <gtest/gtest.h>

#include "owner/device_address.h"
#include "platform/hid_discovery.h"

namespace mirelune {
namespace {

HidDeviceInfo Dev(std::string path, std::string serial, std::string location) {
  HidDeviceInfo d;
  d.path = std::move(path);
  d.serial = std::move(serial);
  d.location = std::move(location);
  return d;
}

// ---- rows and identities ----

struct RowsCase {
  const char* what;
  std::vector<HidDeviceInfo> raw;
  std::vector<std::string> labels;  // "hid:" + identity, in row order
};

class Rows : public ::testing::TestWithParam<RowsCase> {};

TEST_P(Rows, OneRowPerPathInHubOrderEachWithAnIdentityOfItsOwn) {
  const std::vector<HidDeviceInfo> rows = AmplifierRows(GetParam().raw);
  std::vector<std::string> labels;
  for (size_t i = 0; i < rows.size(); ++i) {
    DeviceTarget t;
    t.hid = rows[i];
    t.identity = IdentityOf(rows, i);
    labels.push_back(t.Label());
    EXPECT_TRUE(t.identity.Matches(rows[i])) << GetParam().what;
    // No other row answers to the same identity: a replug finds this one and no other.
    for (size_t j = 0; j < rows.size(); ++j)
      if (j != i) EXPECT_FALSE(t.identity.Matches(rows[j])) << GetParam().what << " " << labels.back();
  }
  EXPECT_EQ(labels, GetParam().labels) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Listing, Rows,
    ::testing::Values(
        RowsCase{"serials, listed against hub order",
                 {Dev("/dev/hidraw5", "B2", "3-1.4"), Dev("/dev/hidraw2", "A1", "3-1.2")},
                 {"hid:A1", "hid:B2"}},
        RowsCase{"the same path twice (two interfaces)",
                 {Dev("/dev/hidraw2", "A1", "3-1.2"), Dev("/dev/hidraw2", "A1", "3-1.2")},
                 {"hid:A1"}},
        RowsCase{"serials missing: the USB location",
                 {Dev("/dev/hidraw3", "", "1-2"), Dev("/dev/hidraw4", "", "1-3")},
                 {"hid:1-2", "hid:1-3"}},
        RowsCase{"one serial on two units: their locations; a unique one keeps its serial",
                 {Dev("/dev/hidraw3", "0000", "1-2"), Dev("/dev/hidraw4", "0000", "1-3"),
                  Dev("/dev/hidraw6", "77", "1-4")},
                 {"hid:1-2", "hid:1-3", "hid:77"}},
        RowsCase{"neither serial nor location: the path, after the located ones",
                 {Dev("/dev/hidraw9", "", ""), Dev("/dev/hidraw1", "", "2-1")},
                 {"hid:2-1", "hid:/dev/hidraw9"}},
        RowsCase{"an entry without a path is no device", {Dev("", "X", "1-1")}, {}}));

TEST(UsbLocation, IsTheUsbDeviceFolderOfTheSysfsPath) {
  EXPECT_EQ(UsbLocationFromSysfs("../../../devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1.2/3-1.2:1.0/"
                                 "0003:2E3C:0D07.0004"),
            "3-1.2");
  EXPECT_EQ(UsbLocationFromSysfs("../../../devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.1/"
                                 "0003:2E3C:0D07.000A"),
            "1-4");
  EXPECT_EQ(UsbLocationFromSysfs("../../../devices/virtual/misc/uhid/0003:2E3C:0D07.0001"), "");
  EXPECT_EQ(UsbLocationFromSysfs(""), "");
}

// ---- addresses ----

struct ResolveCase {
  const char* device;
  bool many;
  std::vector<std::string> labels;  // empty: refused
  const char* error;                // part of the refusal
};

class Resolve : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(Resolve, NamesTheAmplifiersOrSaysWhyNot) {
  DeviceCandidates c;
  c.hid = AmplifierRows({Dev("/dev/hidraw2", "A1", "3-1.2"), Dev("/dev/hidraw5", "", "3-1.4"),
                         Dev("/dev/hidraw7", "3", "3-1.3")});
  c.virtualNames = {"a", "b"};
  std::vector<DeviceAddress> addresses;
  std::vector<DeviceTarget> targets;
  std::string error;
  const bool ok = ParseDeviceList(GetParam().device, addresses, error) &&
                  ResolveDevices(addresses, c, GetParam().many, targets, error);
  std::vector<std::string> labels;
  for (const DeviceTarget& t : targets) labels.push_back(t.Label());
  if (GetParam().labels.empty()) {
    EXPECT_FALSE(ok) << GetParam().device;
    EXPECT_NE(error.find(GetParam().error), std::string::npos) << GetParam().device << ": " << error;
  } else {
    EXPECT_TRUE(ok) << GetParam().device << ": " << error;
    EXPECT_EQ(labels, GetParam().labels) << GetParam().device;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Resolve,
    ::testing::Values(
        ResolveCase{"hid:A1", false, {"hid:A1"}, ""},
        ResolveCase{"hid:0", false, {"hid:A1"}, ""},
        // "3" is a serial here: the serial wins over the index.
        ResolveCase{"hid:3", false, {"hid:3"}, ""},
        ResolveCase{"hid:1", false, {"hid:3"}, ""},
        ResolveCase{"hid:/dev/hidraw5", false, {"hid:3-1.4"}, ""},
        ResolveCase{"hid:3-1.4", false, {"hid:3-1.4"}, ""},
        ResolveCase{"virtual", false, {"virtual"}, ""},
        ResolveCase{"virtual:room-2", false, {"virtual:room-2"}, ""},
        ResolveCase{"hid", false, {}, "3 amplifiers are connected: hid:A1 (USB 3-1.2), hid:3 (USB 3-1.3), hid:3-1.4"},
        ResolveCase{"hid:Z9", false, {}, "no amplifier 'hid:Z9' is connected; connected: hid:A1"},
        ResolveCase{"hid:7", false, {}, "no amplifier 'hid:7'"},
        ResolveCase{"all", false, {}, "works on one amplifier"},
        ResolveCase{"virtual:a,virtual:b", false, {}, "works on one amplifier"},
        ResolveCase{"all", true, {"hid:A1", "hid:3", "hid:3-1.4", "virtual:a", "virtual:b"}, ""},
        ResolveCase{"virtual:b,hid:0,virtual:b", true, {"virtual:b", "hid:A1"}, ""},
        ResolveCase{"hid", true, {"hid:A1", "hid:3", "hid:3-1.4"}, ""},
        ResolveCase{"virtual:", false, {}, "a virtual amplifier's name"},
        ResolveCase{"virtual:../x", false, {}, "a virtual amplifier's name"},
        ResolveCase{"virtual:a,", true, {}, "an empty device"},
        ResolveCase{"usb", false, {}, "unknown device 'usb'"}));

TEST(Resolve, HidWithNothingAttachedSaysSo) {
  std::vector<DeviceAddress> addresses;
  std::vector<DeviceTarget> targets;
  std::string error;
  ASSERT_TRUE(ParseDeviceList("hid", addresses, error));
  EXPECT_FALSE(ResolveDevices(addresses, {}, false, targets, error));
  EXPECT_NE(error.find("no amplifier connected"), std::string::npos) << error;
  ASSERT_TRUE(ParseDeviceList("all", addresses, error));
  EXPECT_FALSE(ResolveDevices(addresses, {}, true, targets, error));
}

// The common refusals of "hid" also say which they are, so that a caller can word them in its
// own language; any other refusal is Other.
TEST(Resolve, HidRefusalsSayWhichCase) {
  DeviceCandidates two;
  two.hid.resize(2);
  two.hid[0].serial = "A1";
  two.hid[1].serial = "B2";
  const struct {
    const char* device;
    bool many;
    const DeviceCandidates* candidates;
    DeviceChoiceFailure::Kind kind;
    size_t connected;
  } cases[] = {{"hid", false, nullptr, DeviceChoiceFailure::Kind::NoneConnected, 0},
               {"hid", false, &two, DeviceChoiceFailure::Kind::Several, 2},
               {"hid:Z9", false, &two, DeviceChoiceFailure::Kind::Other, 0},
               {"all", false, &two, DeviceChoiceFailure::Kind::Other, 0}};
  for (const auto& c : cases) {
    std::vector<DeviceAddress> addresses;
    std::vector<DeviceTarget> targets;
    std::string error;
    ASSERT_TRUE(ParseDeviceList(c.device, addresses, error)) << c.device;
    DeviceChoiceFailure why;
    why.kind = DeviceChoiceFailure::Kind::Several;  // must be reset by the call
    EXPECT_FALSE(ResolveDevices(addresses, c.candidates ? *c.candidates : DeviceCandidates{}, c.many, targets,
                                error, &why)) << c.device;
    EXPECT_EQ(why.kind, c.kind) << c.device << ": " << error;
    EXPECT_EQ(why.connected, c.connected) << c.device;
    if (c.kind == DeviceChoiceFailure::Kind::Several) EXPECT_NE(why.candidates.find("hid:A1"), std::string::npos);
  }
}

TEST(Resolve, SharedSerialIsRefusedAndTheLocationsOffered) {
  DeviceCandidates c;
  c.hid = AmplifierRows({Dev("/dev/hidraw3", "0000", "1-2"), Dev("/dev/hidraw4", "0000", "1-3")});
  std::vector<DeviceAddress> addresses;
  std::vector<DeviceTarget> targets;
  std::string error;
  ASSERT_TRUE(ParseDeviceList("hid:0000", addresses, error));
  EXPECT_FALSE(ResolveDevices(addresses, c, false, targets, error));
  EXPECT_NE(error.find("names 2 amplifiers"), std::string::npos) << error;
  EXPECT_NE(error.find("hid:1-2, hid:1-3"), std::string::npos) << error;
}

TEST(LockKey, IsAFileNameAndTellsTheAmplifiersApart) {
  const auto rows = AmplifierRows({Dev("/dev/hidraw3", "a/b c", "1-2"), Dev("/dev/hidraw4", "", "1-3")});
  DeviceTarget a, b, v;
  a.hid = rows[0];
  a.identity = IdentityOf(rows, 0);
  b.hid = rows[1];
  b.identity = IdentityOf(rows, 1);
  v.isVirtual = true;
  v.virtualName = "x";
  EXPECT_EQ(a.LockKey(), "hid-serial-a_b_c");
  EXPECT_EQ(b.LockKey(), "hid-usb-1-3");
  EXPECT_EQ(v.LockKey(), "virtual-x");
}

}  // namespace
}  // namespace mirelune
