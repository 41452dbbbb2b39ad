// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "modes/file_operation.h"
#include "model/ansi_text.h"
#include "tests/modes/transfer_fixture.h"

namespace mirelune {
namespace {

namespace fs = std::filesystem;
using Kind = RecordingNotifier::Kind;

class FileOperationTest : public testing_support::TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    const char* base = std::getenv("MIRELUNE_TEST_TMP");
    dir = fs::path(base ? base : fs::temp_directory_path().string()) /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    ops = std::make_unique<FileOperation>(rig->store, rig->link, *transfers, rig->notifier,
                                          ModeFolder((dir / "mode").string()));
    ASSERT_TRUE(transfers->ReadModeNames());
  }

  void WriteBytes(const fs::path& p, size_t n) {
    std::ofstream out(p, std::ios::binary);
    out << std::string(n, '\0');
  }

  fs::path dir;
  std::unique_ptr<FileOperation> ops;
};

TEST_F(FileOperationTest, BadFileIsRefusedBeforeAnythingIsSent) {
  const RecordTable before = rig->store.ReadBackTable;
  for (const fs::path& p : {dir / "short.sp", dir / "missing.sp"}) {
    if (p.filename() == "short.sp") WriteBytes(p, 251972);
    rig->notifier.Clear();
    EXPECT_FALSE(ops->OpenConfigurationFile(p.string()));
    auto errors = rig->notifier.Texts(Kind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(p.string()), std::string::npos) << errors[0];
  }
  EXPECT_TRUE(Frames(WriteGroup).empty());
  EXPECT_EQ(rig->store.ReadBackTable, before);
}

TEST_F(FileOperationTest, OpenWritesTheCurrentModeAndReadsItBack) {
  Store file;
  file.InitDefaults();
  file.ParamTable.at(0, 1028).Value = 55;
  file.ParamTable.at(1, 1028).Value = 55;
  const fs::path p = dir / "in.sp";
  ASSERT_TRUE(SaveTableToFile(p.string(), file.ParamTable));
  transfers->CurrentModeNumber = 4;
  ASSERT_TRUE(ops->OpenConfigurationFile(p.string()));
  EXPECT_EQ(rig->amplifier.StoredMode(4).at(0, 1028).Value, 55);
  EXPECT_EQ(rig->store.ParamTable.at(0, 1028).Value, 55);
  EXPECT_EQ(Frames(ReadBackGroup).size(), 15u) << "read back with code 1, system kinds included";
  EXPECT_TRUE(rig->notifier.messages.empty());

  // A file with a tail beyond the table (a save in place over a longer file): the table is
  // written, with a warning naming the file.
  file.ParamTable.at(0, 1028).Value = file.ParamTable.at(1, 1028).Value = 44;
  std::vector<uint8_t> bytes = EncodeTable(file.ParamTable);
  bytes.push_back(0x33);
  std::ofstream(p, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(ops->OpenConfigurationFile(p.string()));
  EXPECT_EQ(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{std::string(kLongSpFileText) + "\n" + p.string()});
  EXPECT_EQ(rig->amplifier.StoredMode(4).at(0, 1028).Value, 44);

  rig->link.SetLinkSwitch(false);
  rig->notifier.Clear();
  EXPECT_FALSE(ops->OpenConfigurationFile(p.string()));
  EXPECT_EQ(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{kNotOnlineText});
}

TEST_F(FileOperationTest, SaveAppendsTheExtensionOnlyWhenMissing) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc", "abc.SP"}, {"abc.Sp", "abc.Sp"}, {"abc.sp", "abc.sp"}, {"x.spx", "x.spx.SP"}};
  for (const auto& [given, written] : cases) {
    EXPECT_EQ(ops->SaveConfigurationFile((dir / given).string()), (dir / written).string());
    EXPECT_EQ(fs::file_size(dir / written), 252000u);
  }
  EXPECT_EQ(rig->notifier.Texts(Kind::Information).size(), 4u);
  EXPECT_EQ(rig->notifier.Texts(Kind::Information)[0], kWrittenToFileText);
}

TEST_F(FileOperationTest, OverwriteQuestionAnsweredBothWays) {
  ASSERT_TRUE(ops->folder().Ensure());
  // Modes 1 and 3 (0-based) already have files; four modes are selected.
  for (int i : {1, 3}) WriteBytes(ops->folder().FileFor(transfers->ModeNames[static_cast<size_t>(i)]), 5);
  rig->notifier.questionAnswers = {false, true};
  ASSERT_TRUE(ops->SaveDeviceModesToFolder({3, 0, 1, 2}));
  auto questions = rig->notifier.Texts(Kind::Question);
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0], OverwriteQuestion("Mode 2"));
  EXPECT_EQ(questions[1], OverwriteQuestion("Mode 4"));
  EXPECT_EQ(fs::file_size(ops->folder().FileFor("Mode 2")), 5u) << "No skipped this mode";
  EXPECT_EQ(fs::file_size(ops->folder().FileFor("Mode 4")), 252000u);
  EXPECT_EQ(ops->FolderFileNames, (std::vector<std::string>{"Mode 1", "Mode 2", "Mode 3", "Mode 4"}));

  // Yes on the first question overwrites every later file silently.
  rig->notifier.Clear();
  rig->notifier.questionAnswers = {true};
  ASSERT_TRUE(ops->SaveDeviceModesToFolder({0, 1, 2, 3}));
  EXPECT_EQ(rig->notifier.Texts(Kind::Question).size(), 1u);
  EXPECT_EQ(fs::file_size(ops->folder().FileFor("Mode 2")), 252000u);
  RecordTable back;
  ASSERT_TRUE(LoadTableFromFile(ops->folder().FileFor("Mode 4"), back));
  EXPECT_EQ(back.at(0, 1028).Value, 73);
}

TEST_F(FileOperationTest, ModeNamesNeverLeaveTheFolder) {
  rig->amplifier.ModeName(0) = "../../evil";
  rig->amplifier.ModeName(1) = "a\\b:c";
  ASSERT_TRUE(transfers->ReadModeNames());
  ASSERT_TRUE(ops->SaveDeviceModesToFolder({0, 1}));
  EXPECT_FALSE(fs::exists(dir / "evil.sp"));
  EXPECT_FALSE(fs::exists(dir.parent_path() / "evil.sp"));
  EXPECT_TRUE(fs::exists(dir / "mode" / ".._.._evil.sp"));
  EXPECT_TRUE(fs::exists(dir / "mode" / "a_b_c.sp"));
}

// "a/b" and "a_b" clean to one file name, as do two modes of one name: each mode keeps a file
// of its own, the later ones numbered, and the user is told. Pulling again finds the same names.
TEST_F(FileOperationTest, ModesWhoseNamesCleanAlikeGetFilesOfTheirOwn) {
  rig->amplifier.ModeName(0) = "a/b";
  rig->amplifier.ModeName(1) = "a_b";
  rig->amplifier.ModeName(2) = "a_b";
  ASSERT_TRUE(transfers->ReadModeNames());
  for (int round = 0; round < 2; ++round) {
    rig->notifier.Clear();
    rig->notifier.questionAnswers = {true};
    ASSERT_TRUE(ops->SaveDeviceModesToFolder({0, 1, 2}));
    EXPECT_EQ(ops->FolderFileNames, (std::vector<std::string>{"a_b", "a_b (2)", "a_b (3)"}));
    const std::pair<std::string, int> files[] = {{"a_b", 70}, {"a_b (2)", 71}, {"a_b (3)", 72}};
    for (const auto& [name, value] : files) {
      RecordTable back;
      ASSERT_TRUE(LoadTableFromFile((dir / "mode" / (name + ".sp")).string(), back)) << name;
      EXPECT_EQ(back.at(0, 1028).Value, value) << name;
    }
    EXPECT_EQ(rig->notifier.Texts(Kind::Information),
              (std::vector<std::string>{RenamedFileText("a_b", "a_b (2).sp"),
                                        RenamedFileText("a_b", "a_b (3).sp")}));
  }
}

TEST_F(FileOperationTest, PreconditionsOfThePull) {
  EXPECT_FALSE(ops->SaveDeviceModesToFolder({}));
  EXPECT_EQ(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{kSelectModeText});
  rig->link.SetLinkSwitch(false);
  rig->notifier.Clear();
  EXPECT_FALSE(ops->SaveDeviceModesToFolder({0}));
  EXPECT_EQ(rig->notifier.Texts(Kind::Warning), std::vector<std::string>{kOnlineRequiredText});
}

TEST_F(FileOperationTest, UploadAndDelete) {
  ASSERT_TRUE(ops->SaveDeviceModesToFolder({5}));
  ASSERT_EQ(ops->FolderFileNames, std::vector<std::string>{"Mode 6"});
  ASSERT_TRUE(ops->UploadFolderFileToMode("Mode 6", 1));
  EXPECT_EQ(rig->amplifier.StoredMode(1).at(0, 1028).Value, 75);

  rig->notifier.questionAnswers = {false};
  EXPECT_FALSE(ops->DeleteFolderFiles({0}));
  EXPECT_TRUE(fs::exists(ops->folder().FileFor("Mode 6")));
  rig->notifier.questionAnswers = {true};
  EXPECT_TRUE(ops->DeleteFolderFiles({0}));
  EXPECT_TRUE(ops->FolderFileNames.empty());
  EXPECT_EQ(rig->notifier.Texts(Kind::Question).back(), kDeleteQuestionText);
}

#ifndef _WIN32
TEST_F(FileOperationTest, AListedFileIsTheFileThatRowActsOn) {
  // ":" is a plain character in file names here; the name "a_b" is what a device mode "a:b"
  // would be saved as. Each row must delete and upload its own file.
  ASSERT_TRUE(ops->folder().Ensure());
  Store a;
  a.InitDefaults();
  a.ParamTable.at(0, 1028).Value = 11;
  ASSERT_TRUE(SaveTableToFile((dir / "mode" / "a:b.sp").string(), a.ParamTable));
  a.ParamTable.at(0, 1028).Value = 22;
  ASSERT_TRUE(SaveTableToFile((dir / "mode" / "a_b.sp").string(), a.ParamTable));
  ops->ListModeFolder();
  ASSERT_EQ(ops->FolderFileNames, (std::vector<std::string>{"a:b", "a_b"}));

  ASSERT_TRUE(ops->UploadFolderFileToMode("a:b", 2));
  EXPECT_EQ(rig->amplifier.StoredMode(2).at(0, 1028).Value, 11);

  rig->notifier.questionAnswers = {true};
  EXPECT_TRUE(ops->DeleteFolderFiles({0}));
  EXPECT_FALSE(fs::exists(dir / "mode" / "a:b.sp"));
  EXPECT_TRUE(fs::exists(dir / "mode" / "a_b.sp"));
  EXPECT_EQ(ops->FolderFileNames, std::vector<std::string>{"a_b"});
}
#endif

TEST(ModeFolder, ListsAnyExtensionCaseSortedAndCapped) {
  const char* base = std::getenv("MIRELUNE_TEST_TMP");
  fs::path dir = fs::path(base ? base : fs::temp_directory_path().string()) / "mode-list";
  fs::remove_all(dir);
  ModeFolder folder(dir.string());
  ASSERT_TRUE(folder.Ensure());
  for (const char* f : {"b.SP", "a.sp", "c.txt", "sp"}) std::ofstream(dir / f) << "x";
  fs::create_directories(dir / "d.sp");
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(folder.FileFor("b"), (dir / "b.SP").string());
  for (int i = 0; i < 120; ++i) std::ofstream(dir / ("m" + std::to_string(1000 + i) + ".sp")) << "x";
  EXPECT_EQ(folder.List().size(), 100u);
  EXPECT_EQ(ModeFolder::RowText(3, "abc"), "文件3\t| abc");
}

}  // namespace
}  // namespace mirelune
