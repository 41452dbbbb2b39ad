#include "sim/virtual_state.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <filesystem>

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

constexpr char kMagic[8] = {'M', 'L', 'V', 'A', 'M', 'P', '0', '1'};
constexpr size_t kNameBytes = 11 * 12;
constexpr size_t kFlagBytes = kCatalogueKinds * kMaxMenuItems;
constexpr size_t kTables = 1 + VirtualAmplifier::kModeCount;
constexpr size_t kStateSize = sizeof kMagic + 1 + kNameBytes + kFlagBytes + kTables * kSpFileSize;

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
  FileResult r = ReadRegularFile(path, kStateSize + 1, bytes);
  if (!r) {
    error = r.error;
    return false;
  }
  return true;
}

}  // namespace

std::string VirtualStatePath() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) base = QDir::homePath() + "/.local/share";
  return (base + "/Mirelune/virtual-amplifier.state").toStdString();
}

// ---- the lock ----

VirtualStateLock::VirtualStateLock(std::string statePath) : path_(std::move(statePath) + ".lock") {}
VirtualStateLock::~VirtualStateLock() { Release(); }

#ifndef _WIN32

void VirtualStateLock::Release() {
  if (fd_ >= 0) ::close(static_cast<int>(fd_));  // closing releases the flock
  fd_ = -1;
}

bool VirtualStateLock::Acquire(std::string& error, const std::function<void()>& onWait) {
  if (fd_ >= 0) return true;
  std::error_code ec;
  fs::create_directories(fs::path(path_).parent_path(), ec);
  const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    error = path_ + ": cannot open the lock of the virtual amplifier's state (" +
            std::strerror(errno) + ")";
    return false;
  }
  int r = ::flock(fd, LOCK_EX | LOCK_NB);
  if (r != 0 && errno == EWOULDBLOCK) {
    if (onWait) onWait();
    do r = ::flock(fd, LOCK_EX);
    while (r != 0 && errno == EINTR);
  }
  if (r != 0) {
    error = path_ + ": cannot lock the virtual amplifier's state (" + std::strerror(errno) + ")";
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

#else

void VirtualStateLock::Release() {
  if (fd_ >= 0) CloseHandle(reinterpret_cast<HANDLE>(fd_));  // closing releases the lock
  fd_ = -1;
}

bool VirtualStateLock::Acquire(std::string& error, const std::function<void()>& onWait) {
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
  OVERLAPPED o{};
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o)) {
    if (onWait) onWait();
    OVERLAPPED w{};
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &w)) {
      CloseHandle(h);
      error = path_ + ": cannot lock the virtual amplifier's state";
      return false;
    }
  }
  fd_ = reinterpret_cast<intptr_t>(h);
  return true;
}

#endif

// ---- the bytes ----

std::vector<uint8_t> EncodeVirtualState(VirtualAmplifier& amp) {
  std::vector<uint8_t> bytes(kMagic, kMagic + sizeof kMagic);
  bytes.reserve(kStateSize);
  bytes.push_back(static_cast<uint8_t>(amp.CurrentMode()));
  for (int n = 0; n < 11; ++n) {
    std::string name = amp.ModeName(n);
    name.resize(12, '\0');
    bytes.insert(bytes.end(), name.begin(), name.end());
  }
  for (int k = 0; k < kCatalogueKinds; ++k)
    for (int i = 0; i < kMaxMenuItems; ++i) bytes.push_back(amp.MenuHidden(k, i));
  auto table = [&](const RecordTable& t) {
    std::vector<uint8_t> chunk = EncodeTable(t);
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
  };
  table(amp.Working());
  for (int n = 0; n < VirtualAmplifier::kModeCount; ++n) table(amp.StoredMode(n));
  return bytes;
}

bool DecodeVirtualState(const std::vector<uint8_t>& bytes, VirtualAmplifier& amp, std::string& why) {
  if (bytes.size() != kStateSize) {
    why = (bytes.size() > kStateSize ? "more than " + std::to_string(kStateSize)
                                     : std::to_string(bytes.size())) +
          " bytes, a state has " + std::to_string(kStateSize);
    return false;
  }
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    why = "it does not begin with the state's mark";
    return false;
  }
  size_t p = sizeof kMagic;
  const int mode = bytes[p++];
  if (mode >= VirtualAmplifier::kModeCount) {
    why = "current mode number " + std::to_string(mode) + ", not 0..9";
    return false;
  }
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
  auto table = [&](RecordTable& t) {
    std::vector<uint8_t> chunk(bytes.begin() + static_cast<long>(p),
                               bytes.begin() + static_cast<long>(p + kSpFileSize));
    DecodeTable(chunk, t);
    p += kSpFileSize;
  };
  table(amp.Working());
  for (int n = 0; n < VirtualAmplifier::kModeCount; ++n) table(amp.StoredMode(n));
  return true;
}

// ---- a session ----

bool VirtualStateSession::Open(VirtualAmplifier& amp, std::string& error,
                               const std::function<void()>& onWait) {
  if (!lock_.Acquire(error, onWait)) return false;
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
  opened_ = EncodeVirtualState(amp);
  return true;
}

bool VirtualStateSession::Close(VirtualAmplifier& amp, std::string& error) {
  if (!lock_.Held()) {
    error = path_ + ": the virtual amplifier's state was not opened";
    return false;
  }
  const std::vector<uint8_t> now = EncodeVirtualState(amp);
  bool ok = true;
  if (now != opened_) {
    FileResult r = ReplaceFile(path_, now);
    if (!r) {
      error = r.error;
      ok = false;
    } else {
      opened_ = now;
    }
  }
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
