// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual amplifier's memory file: round trip, damaged files refused and kept, saves only
// of changes, and the lock that serialises the programs sharing it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <thread>

#include "model/ansi_text.h"
#include "model/menu_catalogue.h"
#include "model/sp_file.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_state.h"

namespace mirelune {
namespace {

namespace fs = std::filesystem;

// The first layout: the head, then the working set and the ten modes as whole tables.
constexpr size_t kHead = 8 + 1 + 11 * 12 + kCatalogueKinds * kMaxMenuItems;
constexpr size_t kFullSize = kHead + 11 * kSpFileSize;
std::string FullLayout(VirtualAmplifier& amp) {
  std::vector<uint8_t> v2 = EncodeVirtualState(amp);
  std::string out(v2.begin(), v2.begin() + static_cast<long>(kHead));
  out[7] = '1';
  auto table = [&](const RecordTable& t) {
    const std::vector<uint8_t> b = EncodeTable(t);
    out.append(b.begin(), b.end());
  };
  table(amp.Working());
  for (int n = 0; n < VirtualAmplifier::kModeCount; ++n) table(amp.StoredMode(n));
  return out;
}

class VirtualStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("MIRELUNE_TEST_TMP");
    dir = fs::path(base ? base : fs::temp_directory_path().string()) / "virtual_state_test" /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = (dir / "virtual-amplifier.state").string();
  }
  std::string Bytes() {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

  fs::path dir;
  std::string path;
};

TEST_F(VirtualStateTest, RoundTrip) {
  VirtualAmplifier a;
  a.SetCurrentMode(6);
  a.ModeName(2) = "Live";
  a.MenuHidden(3, 4) = 1;
  a.StoredMode(9).at(1, 1028).Value = 33;
  a.Working().at(0, 5).Gain = 300;
  std::string error;
  ASSERT_TRUE(SaveVirtualState(path, a, error)) << error;

  VirtualAmplifier b;
  ASSERT_TRUE(LoadVirtualState(path, b, error)) << error;
  EXPECT_EQ(b.CurrentMode(), 6);
  EXPECT_EQ(b.ModeName(2), "Live");
  EXPECT_EQ(b.MenuHidden(3, 4), 1);
  EXPECT_EQ(b.StoredMode(9), a.StoredMode(9));
  EXPECT_EQ(b.Working(), a.Working());
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name == "virtual-amplifier.state" || name == "virtual-amplifier.state.lock") << name;
  }
}

// A damaged file is neither loaded nor replaced: every way in refuses it, names it, and leaves
// its bytes as they were.
TEST_F(VirtualStateTest, DamagedFilesAreRefusedAndKept) {
  VirtualAmplifier factory;
  std::string good;
  {
    const std::vector<uint8_t> b = EncodeVirtualState(factory);
    good.assign(b.begin(), b.end());
  }
  std::string badMode = good;
  badMode[8] = 10;  // current mode number after the 8-byte mark
  std::string badMark = good;
  badMark[0] = 'X';
  // One changed record in the working set: the last table count of the head is table 0's.
  VirtualAmplifier edited;
  edited.Working().at(0, 5).Gain = 300;
  std::string one;
  {
    const std::vector<uint8_t> b = EncodeVirtualState(edited);
    one.assign(b.begin(), b.end());
  }
  const size_t head = good.size() - 11 * 4;  // the 11 table counts follow the head
  ASSERT_EQ(one.size(), good.size() + 30);
  std::string beyond = one;
  beyond[head + 4] = static_cast<char>(0xFF);  // record number 0xFFxx
  beyond[head + 5] = static_cast<char>(0xFF);
  std::string tooMany = good;
  tooMany[head + 4 * 2] = 5;  // table 2 claims 5 records, none follow
  std::string fullSize(kFullSize, '\0');
  std::copy(good.begin(), good.begin() + 8, fullSize.begin());
  fullSize[7] = '1';  // the whole-table layout, one byte short
  fullSize.pop_back();
  const std::pair<std::string, std::string> cases[] = {
      {good.substr(0, 1000), "1000 bytes"},
      {good + "x", "1 bytes after the last table"},
      {badMark, "mark"},
      {badMode, "mode number 10"},
      {beyond, "beyond the table"},
      {tooMany, "table 2 claims 5 records"},
      {fullSize, std::to_string(kFullSize - 1) + " bytes"},
  };
  for (const auto& [bytes, reason] : cases) {
    Write(bytes);
    VirtualAmplifier amp;
    amp.StoredMode(3).at(0, 1028).Value = 1;
    std::string error;
    EXPECT_FALSE(LoadVirtualState(path, amp, error)) << reason;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(reason), std::string::npos) << error << " / wanted: " << reason;
    EXPECT_EQ(amp.StoredMode(3).at(0, 1028).Value, 1) << "the amplifier was changed";

    error.clear();
    VirtualStateSession session(path);
    EXPECT_FALSE(session.Open(amp, error)) << reason;
    EXPECT_NE(error.find(path), std::string::npos) << error;

    error.clear();
    EXPECT_FALSE(SaveVirtualState(path, factory, error)) << reason;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(Bytes(), bytes) << "the damaged file was replaced";
  }
}

// States written in the whole-table layout still load; the next save writes the layout of only
// the changed records, which is small.
TEST_F(VirtualStateTest, TheWholeTableLayoutStillLoads) {
  VirtualAmplifier a;
  a.SetCurrentMode(4);
  a.ModeName(1) = "Old";
  a.StoredMode(7).at(1, 1028).Value = 21;
  a.Working().at(0, 0).Gain = 310;
  Write(FullLayout(a));
  VirtualAmplifier b;
  std::string error;
  ASSERT_TRUE(LoadVirtualState(path, b, error)) << error;
  EXPECT_EQ(b.CurrentMode(), 4);
  EXPECT_EQ(b.ModeName(1), "Old");
  for (int n = 0; n < VirtualAmplifier::kModeCount; ++n) EXPECT_EQ(b.StoredMode(n), a.StoredMode(n)) << n;
  EXPECT_EQ(b.Working(), a.Working());
  ASSERT_TRUE(SaveVirtualState(path, b, error)) << error;
  EXPECT_EQ(Bytes().size(), kHead + 11 * 4 + 2 * 30);
  VirtualAmplifier c;
  ASSERT_TRUE(LoadVirtualState(path, c, error)) << error;
  EXPECT_EQ(c.StoredMode(7), a.StoredMode(7));
  EXPECT_EQ(c.Working(), a.Working());
  EXPECT_EQ(c.StoredMode(2), VirtualAmplifier().StoredMode(2));
}

TEST_F(VirtualStateTest, ASessionSavesOnlyWhatChanged) {
  VirtualAmplifier amp;
  std::string error;
  {
    VirtualStateSession s(path);
    ASSERT_TRUE(s.Open(amp, error)) << error;
    ASSERT_TRUE(s.Close(amp, error)) << error;
  }
  EXPECT_FALSE(fs::exists(path)) << "a session that changed nothing wrote the factory state";
  {
    VirtualStateSession s(path);
    ASSERT_TRUE(s.Open(amp, error)) << error;
    amp.Working().at(0, 1028).Value = 12;
    ASSERT_TRUE(s.Close(amp, error)) << error;
  }
  VirtualAmplifier back;
  ASSERT_TRUE(LoadVirtualState(path, back, error)) << error;
  EXPECT_EQ(back.Working().at(0, 1028).Value, 12);
}

// Mode names reach the console in a reply frame, which cannot carry 0xFE or 0xFF: a loaded
// name holding either loses only the characters that hold them.
TEST_F(VirtualStateTest, LoadedNamesAreSafeForTheNameReply) {
  VirtualAmplifier a;
  a.ModeName(0) = "A\xFE\x50" "B";
  a.ModeName(1) = Utf8ToAnsi("模式2");
  std::string error;
  ASSERT_TRUE(SaveVirtualState(path, a, error)) << error;
  VirtualAmplifier b;
  ASSERT_TRUE(LoadVirtualState(path, b, error)) << error;
  EXPECT_EQ(b.ModeName(0), "A?B");
  EXPECT_EQ(b.ModeName(1), Utf8ToAnsi("模式2"));
}

// A second program waits while a session holds the state, and gets it after the save.
TEST_F(VirtualStateTest, TheLockSerialisesSessions) {
  VirtualAmplifier first;
  VirtualStateSession session(path);
  std::string error;
  ASSERT_TRUE(session.Open(first, error)) << error;

  std::promise<void> waiting;
  std::atomic<bool> closed{false};
  bool acquiredAfterClose = false;
  int valueSeen = -1;
  std::atomic<bool> waited{false};
  SetStateLockWait({30000, [&](const std::string&, const std::string&) {
                      waited = true;
                      waiting.set_value();
                    }});
  std::thread other([&] {
    VirtualAmplifier second;
    VirtualStateSession s(path);
    std::string e;
    const bool opened = s.Open(second, e);
    if (!waited) waiting.set_value();  // no wait at all: the checks below fail, nothing hangs
    if (!opened) return;
    acquiredAfterClose = closed;
    valueSeen = second.Working().at(0, 1028).Value;
    s.Close(second, e);
  });
  // The other session reports that it waits; only then is the first one closed.
  waiting.get_future().wait();
  first.Working().at(0, 1028).Value = 44;
  closed = true;
  ASSERT_TRUE(session.Close(first, error)) << error;
  other.join();
  SetStateLockWait({});
  EXPECT_TRUE(acquiredAfterClose);
  EXPECT_EQ(valueSeen, 44) << "the waiting session loaded the state from before the save";
}

// A wait for a state another program holds has an end: it names the holder, at once and when
// it gives up.
TEST_F(VirtualStateTest, AWaitForTheLockEndsNamingTheHolder) {
  VirtualAmplifier first, second;
  VirtualStateSession held(path);
  std::string error;
  ASSERT_TRUE(held.Open(first, error)) << error;
  std::string told;
  SetStateLockWait({200, [&told](const std::string& file, const std::string& holder) { told = file + " " + holder; }});
  VirtualStateSession waiting(path);
  EXPECT_FALSE(waiting.Open(second, error));
  SetStateLockWait({});
  const std::string me = "(PID " + std::to_string(::getpid()) + ")";
  EXPECT_NE(told.find(path + ".lock "), std::string::npos) << told;
  EXPECT_NE(told.find(me), std::string::npos) << told;
  EXPECT_NE(error.find("locked by"), std::string::npos) << error;
  EXPECT_NE(error.find(me), std::string::npos) << error;
  EXPECT_NE(error.find("gave up after 0.2 s"), std::string::npos) << error;
  ASSERT_TRUE(held.Close(first, error)) << error;
  EXPECT_TRUE(waiting.Open(second, error)) << error;
}

TEST_F(VirtualStateTest, RemoveForgetsTheState) {
  VirtualAmplifier a;
  a.Working().at(0, 1028).Value = 9;
  std::string error;
  ASSERT_TRUE(SaveVirtualState(path, a, error)) << error;
  ASSERT_TRUE(RemoveVirtualState(path, error)) << error;
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(RemoveVirtualState(path, error)) << "a missing file is no error: " << error;
}

}  // namespace
}  // namespace mirelune
