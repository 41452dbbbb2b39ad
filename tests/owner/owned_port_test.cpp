// SPDX-License-Identifier: GPL-3.0-or-later
// The owned port: the lock is taken before the device is opened, a busy amplifier is reported
// with its owner, and a replug among several reopens the same amplifier and no other.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "owner/owned_port.h"

namespace mirelune {
namespace {

namespace fs = std::filesystem;

// A port that records which opens reached it.
class CountingPort : public HidPort {
 public:
  explicit CountingPort(int* opens) : opens_(opens) {}
  HidOpenResult Open(uint16_t, uint16_t) override {
    ++*opens_;
    open_ = true;
    return {HidOpenStatus::Opened, {}};
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  int InputReportLength() const override { return 65; }
  int OutputReportLength() const override { return 65; }
  bool WriteReport(const std::vector<uint8_t>&) override { return open_; }
  void SetInputHandler(InputHandler) override {}
  void SetLostHandler(LostHandler) override {}

 private:
  int* opens_;
  bool open_ = false;
};

HidDeviceInfo Dev(std::string path, std::string serial, std::string location) {
  HidDeviceInfo d;
  d.path = std::move(path);
  d.serial = std::move(serial);
  d.location = std::move(location);
  return d;
}

class OwnedPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("MIRELUNE_TEST_TMP");
    const fs::path dir = fs::path(base ? base : fs::temp_directory_path().string()) / "owned_port_test" /
                         ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
  static DeviceAddress Address(const std::string& text) {
    std::vector<DeviceAddress> a;
    std::string error;
    EXPECT_TRUE(ParseDeviceList(text, a, error)) << error;
    return a.at(0);
  }
};

TEST_F(OwnedPortTest, ReplugOfOneOfTwoReopensThatOneOnly) {
  std::vector<HidDeviceInfo> attached = {Dev("/dev/hidraw2", "A", "1-1"), Dev("/dev/hidraw3", "B", "1-2")};
  int opens = 0;
  OwnedPort port(std::make_unique<CountingPort>(&opens), Address("hid:A"), "mirelune", false);
  port.enumerate = [&](uint16_t, uint16_t) { return AmplifierRows(attached); };
  ASSERT_TRUE(port.Open(1, 2));
  EXPECT_EQ(port.Target().Label(), "hid:A");
  // A is pulled (and comes back on another hidraw node); B stays.
  port.Close();
  attached = {Dev("/dev/hidraw3", "B", "1-2")};
  const HidOpenResult away = port.Open(1, 2);
  EXPECT_EQ(away.status, HidOpenStatus::NotFound);
  EXPECT_NE(away.detail.find("hid:A is not connected"), std::string::npos) << away.detail;
  EXPECT_EQ(opens, 1) << "B was not opened in A's place";
  EXPECT_TRUE(port.Owned()) << "the lock stays with A's owner while it is away";
  attached = {Dev("/dev/hidraw3", "B", "1-2"), Dev("/dev/hidraw7", "A", "1-1")};
  EXPECT_TRUE(port.Open(1, 2));
  EXPECT_EQ(opens, 2);
}

TEST_F(OwnedPortTest, PlainHidChoosesOnlyWhenOneIsAttached) {
  std::vector<HidDeviceInfo> attached = {Dev("/dev/hidraw2", "A", "1-1"), Dev("/dev/hidraw3", "B", "1-2")};
  int opens = 0;
  OwnedPort port(std::make_unique<CountingPort>(&opens), Address("hid"), "mirelune", false);
  port.enumerate = [&](uint16_t, uint16_t) { return AmplifierRows(attached); };
  const HidOpenResult two = port.Open(1, 2);
  EXPECT_FALSE(two);
  EXPECT_EQ(port.CandidatesSeen(), 2);
  EXPECT_NE(two.detail.find("hid:A (USB 1-1), hid:B (USB 1-2)"), std::string::npos) << two.detail;
  EXPECT_EQ(opens, 0);
  attached.pop_back();
  EXPECT_TRUE(port.Open(1, 2));
  EXPECT_EQ(port.Target().Label(), "hid:A");
}

TEST_F(OwnedPortTest, BusyAmplifierIsNotOpenedAndItsOwnerIsNamed) {
  int opens = 0;
  OwnedPort first(std::make_unique<CountingPort>(&opens), Address("virtual:x"), "mirelune", true);
  ASSERT_TRUE(first.Open(1, 2));
  OwnedPort second(std::make_unique<CountingPort>(&opens), Address("virtual:x"), "mirelune-cli set", false);
  const HidOpenResult busy = second.Open(1, 2);
  EXPECT_EQ(busy.status, HidOpenStatus::Busy);
  EXPECT_NE(busy.detail.find("virtual:x is in use by mirelune (PID"), std::string::npos) << busy.detail;
  EXPECT_EQ(second.Holder().socket, OwnedPort::SocketPathFor("virtual-x"));
  EXPECT_EQ(opens, 1);
  first.Release();
  EXPECT_TRUE(second.Open(1, 2));
  EXPECT_EQ(opens, 2);
}

TEST_F(OwnedPortTest, NoPlaceForLocksStillOpensTheAmplifierAndSaysWhy) {
  // A file where the lock folder should be: the amplifier is used without a lock.
  const std::string runtime = std::getenv("XDG_RUNTIME_DIR");
  { FILE* f = std::fopen((runtime + "/mirelune").c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
  int opens = 0, claims = 0;
  OwnedPort port(std::make_unique<CountingPort>(&opens), Address("virtual:x"), "mirelune", true);
  port.onClaimed = [&](const DeviceTarget&) { ++claims; };
  EXPECT_TRUE(port.Open(1, 2));
  EXPECT_TRUE(port.Owned());
  EXPECT_NE(port.LockError().find("mirelune"), std::string::npos) << port.LockError();
  port.Close();
  EXPECT_TRUE(port.Open(1, 2));
  EXPECT_EQ(claims, 1) << "claimed once, not at every reconnect";
  EXPECT_EQ(opens, 2);
}

}  // namespace
}  // namespace mirelune
