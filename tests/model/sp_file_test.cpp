// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/stat.h>

#include "model/sp_file.h"
#include "model/store.h"

namespace mirelune {
namespace {

namespace fs = std::filesystem;

fs::path TempDir() {
  const char* base = std::getenv("MIRELUNE_TEST_TMP");
  fs::path p = fs::path(base ? base : fs::temp_directory_path().string()) / "sp_file_test";
  fs::create_directories(p);
  return p;
}

TEST(SpFile, RecordByteLayout) {
  ParamRecord r;
  r.Kind = 3;
  r.Value = 300;
  r.QType = 2;
  r.Freq = -1;
  r.Gain = 0x01020304;
  r.Q = 16;
  r.SQ = 10;
  r.Valid = kTrue;
  r.PerMode = kFalse;
  r.EQDisabled = kTrue;
  uint8_t b[28];
  EncodeRecord(r, b);
  const std::vector<uint8_t> expected = {0x03, 0x2C, 0x01, 0x00, 0x00, 0x02, 0xFF, 0xFF, 0xFF, 0xFF,
                                         0x04, 0x03, 0x02, 0x01, 0x10, 0x00, 0x00, 0x00, 0x0A, 0x00,
                                         0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF};
  EXPECT_EQ(std::vector<uint8_t>(b, b + 28), expected);
  EXPECT_EQ(DecodeRecord(b), r);
}

TEST(SpFile, TableOrderIsAddressMajorSlotMinor) {
  RecordTable t;
  t.at(0, 0).Value = 1;
  t.at(1, 0).Value = 2;
  t.at(0, 1).Value = 3;
  t.at(2, 2999).Value = 4;
  std::vector<uint8_t> bytes = EncodeTable(t);
  ASSERT_EQ(bytes.size(), 252000u);
  EXPECT_EQ(bytes[1], 1);
  EXPECT_EQ(bytes[28 + 1], 2);
  EXPECT_EQ(bytes[84 + 1], 3);
  EXPECT_EQ(bytes[252000 - 28 + 1], 4);
}

TEST(SpFile, SaveLoadRoundTripAndAtomicReplace) {
  Store s;
  s.InitDefaults();
  fs::path p = TempDir() / "round.sp";
  // An earlier longer file must not keep a stale tail.
  { std::ofstream(p, std::ios::binary) << std::string(300000, 'x'); }
  ASSERT_TRUE(SaveTableToFile(p.string(), s.ParamTable));
  EXPECT_EQ(fs::file_size(p), 252000u);
  RecordTable back;
  ASSERT_TRUE(LoadTableFromFile(p.string(), back));
  EXPECT_EQ(back, s.ParamTable);
  for (auto& e : fs::directory_iterator(TempDir()))
    EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
}

TEST(SpFile, BadFilesAreRefusedAndTableUntouched) {
  Store s;
  s.InitDefaults();
  const fs::path dir = TempDir();
  std::vector<uint8_t> good = EncodeTable(s.ParamTable);
  struct Case {
    std::string name;
    size_t size;  // 0: do not create
    std::string reason;
  };
  const Case cases[] = {{"missing.sp", 0, "no such file"},
                        {"short.sp", 251999, "251999 bytes"},
                        {"empty.sp", 1, "1 bytes"}};
  for (const Case& c : cases) {
    fs::path p = dir / c.name;
    fs::remove(p);
    if (c.size) {
      std::vector<uint8_t> bytes = good;
      bytes.resize(c.size, 0);
      std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    RecordTable t = s.ParamTable;
    t.at(0, 5).Gain = 123;
    const RecordTable before = t;
    FileResult r = LoadTableFromFile(p.string(), t);
    EXPECT_FALSE(r.ok) << c.name;
    EXPECT_NE(r.error.find(p.string()), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
    EXPECT_EQ(t, before) << c.name;
  }
  RecordTable t;
  FileResult r = LoadTableFromFile(dir.string(), t);
  EXPECT_FALSE(r.ok);
}

// A save in place over a longer file leaves its tail: the first 252 000 bytes are the table,
// read with a warning naming the file and its size.
TEST(SpFile, ALongerFileIsReadWithAWarning) {
  Store s;
  s.InitDefaults();
  s.ParamTable.at(1, 1802).Value = 77;
  std::vector<uint8_t> bytes = EncodeTable(s.ParamTable);
  bytes.resize(252001, 0xEE);
  const fs::path p = TempDir() / "tail.sp";
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 252001);
  RecordTable t;
  const FileResult r = LoadTableFromFile(p.string(), t);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(t, s.ParamTable);
  EXPECT_EQ(r.warning, p.string() + ": 252001 bytes, longer than a configuration file: its first 252000 bytes were read");
  std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), 252000);
  const FileResult exact = LoadTableFromFile(p.string(), t);
  EXPECT_TRUE(exact.ok);
  EXPECT_EQ(exact.warning, "");
}

// A FIFO blocks an open for reading until a writer comes, and a read until data come: a
// command given one must refuse it at once. (Should this test hang, the refusal is gone.)
TEST(SpFile, NonRegularFilesAreRefusedWithoutWaiting) {
  const fs::path fifo = TempDir() / "pipe.sp";
  fs::remove(fifo);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const fs::path& p : {fifo, fs::path("/dev/null")}) {
    RecordTable t;
    t.at(0, 5).Gain = 123;
    const RecordTable before = t;
    FileResult r = LoadTableFromFile(p.string(), t);
    EXPECT_FALSE(r.ok) << p;
    EXPECT_NE(r.error.find(p.string() + ": not a regular file"), std::string::npos) << r.error;
    EXPECT_EQ(t, before);
  }
  fs::remove(fifo);
}

// Writers replacing one file at once, readers reading it meanwhile: every read finds one
// writer's whole table, and no temporary file stays behind.
TEST(SpFile, ConcurrentSavesNeverMixAndLeaveNoTemporaries) {
  const fs::path dir = TempDir() / "concurrent";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "shared.sp").string();
  constexpr int kWriters = 4;
  constexpr int kSaves = 12;
  std::vector<RecordTable> tables(kWriters);
  for (int w = 0; w < kWriters; ++w)
    for (int n = 0; n < RecordTable::kRecords; ++n) tables[w].record(n).Value = w + 1;
  ASSERT_TRUE(SaveTableToFile(path, tables[0]));

  std::atomic<int> failedSaves{0}, badReads{0}, reads{0};
  std::atomic<bool> writing{true};
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      for (int i = 0; i < kSaves; ++i)
        if (!SaveTableToFile(path, tables[w])) ++failedSaves;
    });
  std::thread reader([&] {
    while (writing) {
      RecordTable t;
      ++reads;
      if (!LoadTableFromFile(path, t)) {
        ++badReads;
        continue;
      }
      const int32_t first = t.record(0).Value;
      for (int n = 1; n < RecordTable::kRecords; ++n)
        if (t.record(n).Value != first) {
          ++badReads;
          break;
        }
    }
  });
  for (std::thread& t : writers) t.join();
  writing = false;
  reader.join();
  EXPECT_EQ(failedSaves, 0);
  EXPECT_EQ(badReads, 0) << "of " << reads << " reads";
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    ++files;
    EXPECT_EQ(e.path().filename(), "shared.sp");
  }
  EXPECT_EQ(files, 1u);
}

TEST(SpFile, SaveIntoMissingFolderFailsWithReason) {
  RecordTable t;
  fs::path p = TempDir() / "no-such-folder" / "x.sp";
  FileResult r = SaveTableToFile(p.string(), t);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("x.sp"), std::string::npos);
}

}  // namespace
}  // namespace mirelune
