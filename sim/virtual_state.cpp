// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/virtual_state.h"

#include <cctype>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "platform/user_folders.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include "model/ansi_text.h"
#include "model/file_bytes.h"
#include "model/menu_catalogue.h"
#include "model/sp_file.h"
#include "sim/virtual_amplifier.h"

namespace mirelune {
namespace {

namespace fs = std::filesystem;

// Two layouts share the head: the 8-byte mark, the current mode, 11 names of 12 bytes, the menu
// flags. The first ("MLVAMP01") follows it with the working set and the ten stored modes as
// whole configuration files (2.7 MB). The second ("MLVAMP02", written now) holds only the
// records that differ from the factory content: per table (working set, modes 1..10) a 32-bit
// count, then count entries of a 16-bit record number (address * 3 + slot, increasing) and the
// record's 28 bytes. Everything little-endian. Both are read.
constexpr char kMagicFull[8] = {'M', 'L', 'V', 'A', 'M', 'P', '0', '1'};
constexpr char kMagic[8] = {'M', 'L', 'V', 'A', 'M', 'P', '0', '2'};
constexpr size_t kNameBytes = 11 * 12;
constexpr size_t kFlagBytes = kCatalogueKinds * kMaxMenuItems;
constexpr size_t kTables = 1 + VirtualAmplifier::kModeCount;
constexpr size_t kHeadSize = sizeof kMagic + 1 + kNameBytes + kFlagBytes;
constexpr size_t kFullStateSize = kHeadSize + kTables * kSpFileSize;
constexpr size_t kEntrySize = 2 + kSpRecordSize;
constexpr size_t kMaxStateSize = kHeadSize + kTables * (4 + RecordTable::kRecords * kEntrySize);

std::string NotAState(const std::string& path, const std::string& why) {
  return path + ": not a virtual amplifier state (" + why +
         "); left as it is - `mirelune-cli virtual-reset` removes it";
}

// Reads the file at `path` under a lock the caller holds. `exists` tells a missing file.
bool ReadState(const std::string& path, std::vector<uint8_t>& bytes, bool& exists,
               std::string& error) {
  std::error_code ec;
  exists = fs::symlink_status(path, ec).type() != fs::file_type::not_found;
  if (!exists) return true;
  FileResult r = ReadRegularFile(path, std::max(kFullStateSize, kMaxStateSize) + 1, bytes);
  if (!r) {
    error = r.error;
    return false;
  }
  return true;
}

}  // namespace

namespace {
std::string DataBase() { return UserDataFolder() + "/Mirelune"; }
}  // namespace

std::string VirtualStatePath(const std::string& name) {
  if (name.empty()) return DataBase() + "/virtual-amplifier.state";
  return DataBase() + "/virtual/" + name + ".state";
}

bool ValidVirtualName(const std::string& name) {
  if (name.empty() || name.size() > 32 || name[0] == '.') return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.')
      return false;
  return true;
}

std::vector<std::string> NamedVirtualAmplifiers() {
  std::set<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(DataBase() + "/virtual", ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    std::string file = it->path().filename().string();
    if (file.size() > 5 && file.compare(file.size() - 5, 5, ".lock") == 0) file.resize(file.size() - 5);
    if (file.size() <= 6 || file.compare(file.size() - 6, 6, ".state") != 0) continue;
    const std::string name = file.substr(0, file.size() - 6);
    if (ValidVirtualName(name)) names.insert(name);
  }
  return {names.begin(), names.end()};
}

int VirtualCurrentMode(const std::string& path) {
  VirtualAmplifier amp;
  std::string error;
  return LoadVirtualState(path, amp, error) ? amp.CurrentMode() : -1;
}

// ---- the lock ----

VirtualStateLock::VirtualStateLock(std::string statePath) : path_(std::move(statePath) + ".lock") {}
VirtualStateLock::~VirtualStateLock() { Release(); }

namespace {

StateLockWait& LockWait() {
  static StateLockWait wait;
  return wait;
}

constexpr int kLockPollMs = 20;

// "30 s", "0.2 s"
std::string Seconds(int ms) {
  return std::to_string(ms / 1000) + (ms % 1000 ? "." + std::to_string(ms % 1000 / 100) : std::string()) + " s";
}

}  // namespace

void SetStateLockWait(StateLockWait wait) { LockWait() = std::move(wait); }

#ifndef _WIN32

namespace {

std::string ProgramName() {
  std::string name;
  if (FILE* f = std::fopen("/proc/self/comm", "r")) {
    char buf[64] = {};
    if (std::fgets(buf, sizeof buf, f)) name = buf;
    std::fclose(f);
  }
  while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
  return name.empty() ? "a program" : name;
}

// "mirelune-cli (PID 42)" from the lock file's "42 mirelune-cli"; "another program" for one
// that wrote nothing (an older version, or not ours).
std::string HolderOf(int fd) {
  char buf[128] = {};
  const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
  const std::string text = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
  const size_t space = text.find(' ');
  const long pid = std::strtol(text.c_str(), nullptr, 10);
  if (pid <= 0 || space == std::string::npos) return "another program";
  std::string program = text.substr(space + 1);
  program = program.substr(0, program.find('\n'));
  return program + " (PID " + std::to_string(pid) + ")";
}

}  // namespace

void VirtualStateLock::Release() {
  if (fd_ < 0) return;
  // Emptied first: whoever opens it next must not read a holder that has let go.
  [[maybe_unused]] const int t = ::ftruncate(static_cast<int>(fd_), 0);
  ::close(static_cast<int>(fd_));  // closing releases the flock
  fd_ = -1;
}

bool VirtualStateLock::Acquire(std::string& error) {
  if (fd_ >= 0) return true;
  std::error_code ec;
  fs::create_directories(fs::path(path_).parent_path(), ec);
  const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    error = path_ + ": cannot open the lock of the virtual amplifier's state (" +
            std::strerror(errno) + ")";
    return false;
  }
  const StateLockWait& wait = LockWait();
  int r = ::flock(fd, LOCK_EX | LOCK_NB);
  if (r != 0 && errno == EWOULDBLOCK) {
    const std::string holder = HolderOf(fd);
    if (wait.onWait) wait.onWait(path_, holder);
    // Polled, not a blocking flock: the wait has an end.
    for (int waited = 0; r != 0 && (errno == EWOULDBLOCK || errno == EINTR); waited += kLockPollMs) {
      if (waited >= wait.limitMs) {
        error = path_ + ": the virtual amplifier's memory is locked by " + HolderOf(fd) + "; gave up after " +
                Seconds(wait.limitMs);
        ::close(fd);
        return false;
      }
      ::usleep(kLockPollMs * 1000);
      r = ::flock(fd, LOCK_EX | LOCK_NB);
    }
  }
  if (r != 0) {
    error = path_ + ": cannot lock the virtual amplifier's state (" + std::strerror(errno) + ")";
    ::close(fd);
    return false;
  }
  fd_ = fd;
  const std::string text = std::to_string(::getpid()) + " " + ProgramName() + "\n";
  if (::ftruncate(fd, 0) == 0) [[maybe_unused]] const ssize_t w = ::pwrite(fd, text.data(), text.size(), 0);
  return true;
}

#else

void VirtualStateLock::Release() {
  if (fd_ >= 0) CloseHandle(reinterpret_cast<HANDLE>(fd_));  // closing releases the lock
  fd_ = -1;
}

bool VirtualStateLock::Acquire(std::string& error) {
  if (fd_ >= 0) return true;
  std::error_code ec;
  fs::create_directories(fs::path(path_).parent_path(), ec);
  HANDLE h = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = path_ + ": cannot open the lock of the virtual amplifier's state";
    return false;
  }
  const StateLockWait& wait = LockWait();
  OVERLAPPED o{};
  bool locked = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o);
  if (!locked && wait.onWait) wait.onWait(path_, "another program");
  for (int waited = 0; !locked; waited += kLockPollMs) {
    if (waited >= wait.limitMs) {
      CloseHandle(h);
      error = path_ + ": the virtual amplifier's memory is locked by another program; gave up after " +
              Seconds(wait.limitMs);
      return false;
    }
    Sleep(kLockPollMs);
    OVERLAPPED w{};
    locked = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &w);
  }
  fd_ = reinterpret_cast<intptr_t>(h);
  return true;
}

#endif

// ---- the bytes ----

namespace {

void PutU32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Table 0 is the working set (its factory content is mode 0's), table t > 0 stored mode t - 1.
int FactoryModeOf(size_t table) { return table == 0 ? 0 : static_cast<int>(table) - 1; }

}  // namespace

std::vector<uint8_t> EncodeVirtualState(VirtualAmplifier& amp) {
  std::vector<uint8_t> bytes(kMagic, kMagic + sizeof kMagic);
  bytes.push_back(static_cast<uint8_t>(amp.CurrentMode()));
  for (int n = 0; n < 11; ++n) {
    std::string name = amp.ModeName(n);
    name.resize(12, '\0');
    bytes.insert(bytes.end(), name.begin(), name.end());
  }
  for (int k = 0; k < kCatalogueKinds; ++k)
    for (int i = 0; i < kMaxMenuItems; ++i) bytes.push_back(amp.MenuHidden(k, i));
  for (size_t t = 0; t < kTables; ++t) {
    const size_t countAt = bytes.size();
    PutU32(bytes, 0);
    const int mode = FactoryModeOf(t);
    if (t > 0 && !amp.StoredModeBuilt(mode)) continue;  // untouched: the factory content
    const RecordTable& table = t == 0 ? amp.Working() : amp.StoredMode(mode);
    uint32_t count = 0;
    for (int n = 0; n < RecordTable::kRecords; ++n) {
      const ParamRecord& r = table.record(n);
      const ParamRecord factory = amp.FactoryRecord(mode, n);
      if (r == factory) continue;
      uint8_t mine[kSpRecordSize], theirs[kSpRecordSize];
      EncodeRecord(r, mine);
      EncodeRecord(factory, theirs);
      if (std::memcmp(mine, theirs, sizeof mine) == 0) continue;  // equal as the file holds them
      bytes.push_back(static_cast<uint8_t>(n & 0xFF));
      bytes.push_back(static_cast<uint8_t>(n >> 8));
      bytes.insert(bytes.end(), mine, mine + sizeof mine);
      ++count;
    }
    for (int i = 0; i < 4; ++i) bytes[countAt + static_cast<size_t>(i)] = static_cast<uint8_t>(count >> (8 * i));
  }
  return bytes;
}

bool DecodeVirtualState(const std::vector<uint8_t>& bytes, VirtualAmplifier& amp, std::string& why) {
  const bool full = bytes.size() >= sizeof kMagic && std::memcmp(bytes.data(), kMagicFull, sizeof kMagic) == 0;
  if (!full && (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)) {
    why = "it does not begin with the state's mark";
    return false;
  }
  if (full && bytes.size() != kFullStateSize) {
    why = (bytes.size() > kFullStateSize ? "more than " + std::to_string(kFullStateSize)
                                         : std::to_string(bytes.size())) +
          " bytes, a state has " + std::to_string(kFullStateSize);
    return false;
  }
  if (bytes.size() < kHeadSize + kTables * 4) {
    why = std::to_string(bytes.size()) + " bytes, too short for a state";
    return false;
  }
  const int mode = bytes[sizeof kMagic];
  if (mode >= VirtualAmplifier::kModeCount) {
    why = "current mode number " + std::to_string(mode) + ", not 0..9";
    return false;
  }
  // The records of the second layout are checked whole before anything changes.
  struct Entry {
    size_t table;
    int record;
    const uint8_t* bytes;
  };
  std::vector<Entry> entries;
  if (!full) {
    size_t p = kHeadSize;
    for (size_t t = 0; t < kTables; ++t) {
      if (bytes.size() - p < 4) {
        why = "it ends inside table " + std::to_string(t);
        return false;
      }
      const uint32_t count = GetU32(bytes.data() + p);
      p += 4;
      if (count > RecordTable::kRecords || (bytes.size() - p) / kEntrySize < count) {
        why = "table " + std::to_string(t) + " claims " + std::to_string(count) + " records";
        return false;
      }
      int last = -1;
      for (uint32_t e = 0; e < count; ++e, p += kEntrySize) {
        const int n = bytes[p] | bytes[p + 1] << 8;
        if (n <= last || n >= RecordTable::kRecords) {
          why = "table " + std::to_string(t) + " has record number " + std::to_string(n) +
                (n <= last ? " out of order" : ", beyond the table");
          return false;
        }
        last = n;
        entries.push_back({t, n, bytes.data() + p + 2});
      }
    }
    if (p != bytes.size()) {
      why = std::to_string(bytes.size() - p) + " bytes after the last table";
      return false;
    }
  }

  size_t p = sizeof kMagic + 1;
  amp.SetCurrentMode(mode);
  for (int n = 0; n < 11; ++n) {
    std::string name;
    for (size_t i = 0; i < 12 && bytes[p + i] != 0; ++i) name += static_cast<char>(bytes[p + i]);
    // The amplifier answers the names in a reply frame, which cannot carry 0xFE or 0xFF.
    amp.ModeName(n) = ReplySafeAnsi(name);
    p += 12;
  }
  for (int k = 0; k < kCatalogueKinds; ++k)
    for (int i = 0; i < kMaxMenuItems; ++i) amp.MenuHidden(k, i) = bytes[p++] & 1;
  auto table = [&](size_t t) -> RecordTable& {
    return t == 0 ? amp.Working() : amp.StoredMode(FactoryModeOf(t));
  };
  if (full) {
    for (size_t t = 0; t < kTables; ++t, p += kSpFileSize) DecodeTableFrom(bytes.data() + p, table(t));
    return true;
  }
  amp.ResetTables();
  for (const Entry& e : entries) table(e.table).record(e.record) = DecodeRecord(e.bytes);
  return true;
}

// ---- a session ----

bool VirtualStateSession::Open(VirtualAmplifier& amp, std::string& error) {
  if (!lock_.Acquire(error)) return false;
  std::vector<uint8_t> bytes;
  bool exists = false;
  std::string why;
  if (!ReadState(path_, bytes, exists, error)) {
    lock_.Release();
    return false;
  }
  if (exists && !DecodeVirtualState(bytes, amp, why)) {
    error = NotAState(path_, why);
    lock_.Release();
    return false;
  }
  // What Close compares with: the file as read (the encoding is canonical; a file that is not
  // is only saved again), or the factory state.
  // The read buffer was made for the largest state; the copy kept for the whole session holds
  // only the file's bytes.
  if (exists) bytes.shrink_to_fit();
  opened_ = exists ? std::move(bytes) : EncodeVirtualState(amp);
  return true;
}

bool VirtualStateSession::Save(VirtualAmplifier& amp, std::string& error, bool durable) {
  if (!lock_.Held()) {
    error = path_ + ": the virtual amplifier's state was not opened";
    return false;
  }
  const std::vector<uint8_t> now = EncodeVirtualState(amp);
  if (now == opened_ && !(durable && unsynced_)) return true;
  FileResult r = ReplaceFile(path_, now, durable);
  if (!r) {
    error = r.error;
    return false;
  }
  opened_ = now;
  unsynced_ = !durable;
  return true;
}

void VirtualStateSession::KeepEveryChange(VirtualAmplifier& amp) {
  amp.onMemoryChanged = [this, &amp] {
    std::string e;
    if (!Save(amp, e, false) && saveError_.empty()) saveError_ = e;
    if (afterChange) afterChange();
  };
}

bool VirtualStateSession::Close(VirtualAmplifier& amp, std::string& error) {
  const bool ok = Save(amp, error);
  lock_.Release();
  return ok;
}

// ---- single operations ----

bool LoadVirtualState(const std::string& path, VirtualAmplifier& amp, std::string& error) {
  VirtualStateLock lock(path);
  if (!lock.Acquire(error)) return false;
  std::vector<uint8_t> bytes;
  bool exists = false;
  std::string why;
  if (!ReadState(path, bytes, exists, error)) return false;
  if (!exists) return true;
  if (!DecodeVirtualState(bytes, amp, why)) {
    error = NotAState(path, why);
    return false;
  }
  return true;
}

bool SaveVirtualState(const std::string& path, VirtualAmplifier& amp, std::string& error) {
  VirtualStateLock lock(path);
  if (!lock.Acquire(error)) return false;
  std::vector<uint8_t> bytes;
  bool exists = false;
  if (!ReadState(path, bytes, exists, error)) return false;
  if (exists) {
    VirtualAmplifier probe;
    std::string why;
    if (!DecodeVirtualState(bytes, probe, why)) {
      error = NotAState(path, why);
      return false;
    }
  }
  FileResult r = ReplaceFile(path, EncodeVirtualState(amp));
  if (!r) error = r.error;
  return r.ok;
}

bool RemoveVirtualState(const std::string& path, std::string& error) {
  VirtualStateLock lock(path);
  if (!lock.Acquire(error)) return false;
  std::error_code ec;
  fs::remove(path, ec);
  if (ec) {
    error = path + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace mirelune
