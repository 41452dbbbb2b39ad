// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the ".sp" loader, and what a whole-mode write makes of any table it loads.
//
// Input: any bytes, as the content of a configuration file. Beyond what the sanitizers catch,
// it checks that
//  - a file of any other size than 252 000 bytes is refused and leaves the table as it was, one
//    of that size loads and encodes back to the same bytes;
//  - the input repeated to 252 000 bytes decodes, and encodes back to exactly those bytes;
//  - the write check (CheckTableForWrite) and the frame builder agree on that table: when the
//    check passes, every WriteGroup frame of a whole-mode write builds, with the length the
//    device layout gives the group; when some frame cannot be built, the check has a fault.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "link/device_layout.h"
#include "link/frame_codec.h"
#include "link/transfers.h"
#include "model/sp_file.h"
#include "model/store.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace mirelune;

const std::string& ScratchFile() {
  static const std::string path = [] {
    std::error_code ec;
    const std::filesystem::path dir =
        std::filesystem::exists("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
    return (dir / ("mirelune-fuzz-" + std::to_string(getpid()) + ".sp")).string();
  }();
  return path;
}

void WriteScratch(const uint8_t* data, size_t size) {
  std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  FUZZ_CHECK(out.good());
}

Store& Layout() {
  static Store* store = [] {
    auto* s = new Store();
    s->InitDefaults();
    return s;
  }();
  return *store;
}

// Builds every WriteGroup frame of a whole-mode write of `table` into mode 0. `built`: all of
// them built; `layoutSized`: each built one has the length the device layout gives its group.
void BuildWriteFrames(const RecordTable& table, bool& built, bool& layoutSized) {
  Store& store = Layout();
  store.ReadBackTable = table;
  built = layoutSized = true;
  auto build = [&](int modeArg, int kind) {
    const BuiltFrame f = BuildFrame(WriteGroup, modeArg, store.KindStart[static_cast<size_t>(kind)],
                                    store, 0, PasswordBuffer{});
    if (!f) {
      FUZZ_CHECK(f.bytes.empty() && !f.error.empty());
      built = false;
      return;
    }
    layoutSized &= f.bytes.size() == static_cast<size_t>(7 + GroupPayloadBytes(kind));
  };
  for (int s = 0; s < 2; ++s)
    for (int k : WriteKinds(s)) build(s * 11, k);
  for (int k : kSystemKinds) build(0, k);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A sentinel table: a refused file must leave every record of it alone.
  static auto* sentinel = new RecordTable();
  static auto* table = new RecordTable();
  *table = *sentinel;
  WriteScratch(data, size);
  const FileResult r = LoadTableFromFile(ScratchFile(), *table);
  if (size != kSpFileSize) {
    FUZZ_CHECK(!r.ok && r.error.find(ScratchFile()) != std::string::npos);
    FUZZ_CHECK(*table == *sentinel);
  } else {
    FUZZ_CHECK(r.ok && EncodeTable(*table) == std::vector<uint8_t>(data, data + size));
  }

  // The full-size content is decoded in memory, as the loader does after its size check: a
  // 252 000-byte file written and read back for every input would cost most of the run.
  std::vector<uint8_t> file(kSpFileSize, 0);
  for (size_t at = 0; size > 0 && at < file.size(); at += size)
    std::memcpy(file.data() + at, data, std::min(size, file.size() - at));
  FUZZ_CHECK(DecodeTable(file, *table));
  FUZZ_CHECK(EncodeTable(*table) == file);

  const std::string fault = CheckTableForWrite(*table, Layout());
  bool built = false, layoutSized = false;
  BuildWriteFrames(*table, built, layoutSized);
  if (fault.empty()) FUZZ_CHECK(built && layoutSized);
  if (!built) FUZZ_CHECK(!fault.empty());
  return 0;
}
