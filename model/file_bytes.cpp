// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/file_bytes.h"

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <random>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mirelune {
namespace {

namespace fs = std::filesystem;

std::string Reason(int err) { return std::strerror(err); }

constexpr char kNotRegular[] = ": not a regular file (a pipe, a device or a socket); refused";

}  // namespace

#ifndef _WIN32

FileResult ReadRegularFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR) return FileResult::Fail(path + ": no such file");
    return FileResult::Fail(path + ": cannot be read (" + Reason(err) + ")");
  }
  if (S_ISDIR(st.st_mode)) return FileResult::Fail(path + ": is a folder, not a file");
  if (!S_ISREG(st.st_mode)) return FileResult::Fail(path + kNotRegular);
  // O_NONBLOCK: should the path have become a FIFO since the check, the open returns at once
  // instead of waiting for a writer, and the check below refuses it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return FileResult::Fail(path + ": cannot be read (" + Reason(errno) + ")");
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return FileResult::Fail(path + kNotRegular);
  }
  // Sized by the file (one byte more, to see its end in the same read), not by the limit: a
  // 2 KB state file must not cost a 3 MB allocation. A file that grows meanwhile is read on, up
  // to the limit, as before.
  std::vector<uint8_t> data(std::min(limit, static_cast<size_t>(st.st_size) + 1));
  size_t got = 0;
  while (got < limit) {
    if (got == data.size()) data.resize(std::min(limit, std::max<size_t>(data.size() * 2, 4096)));
    const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      return FileResult::Fail(path + ": read error (" + Reason(err) + ")");
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  data.resize(got);
  bytes.swap(data);
  return {};
}

#else

FileResult ReadRegularFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (!fs::exists(st)) return FileResult::Fail(path + ": no such file");
  if (fs::is_directory(st)) return FileResult::Fail(path + ": is a folder, not a file");
  if (!fs::is_regular_file(st)) return FileResult::Fail(path + kNotRegular);
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileResult::Fail(path + ": cannot be read (" + Reason(errno) + ")");
  std::vector<uint8_t> data(limit);
  in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(limit));
  if (in.bad()) return FileResult::Fail(path + ": read error (" + Reason(errno) + ")");
  data.resize(static_cast<size_t>(in.gcount()));
  bytes.swap(data);
  return {};
}

#endif

#ifndef _WIN32

namespace {

// What stands at `path`, for a refusal: "a folder", "a pipe (FIFO)", ...; empty for a regular
// file or nothing at all.
std::string NotRegularKind(const std::string& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return {};
  if (S_ISREG(st.st_mode)) return {};
  if (S_ISDIR(st.st_mode)) return "a folder";
  if (S_ISFIFO(st.st_mode)) return "a pipe (FIFO)";
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "a device";
  if (S_ISSOCK(st.st_mode)) return "a socket";
  return "not a regular file";
}

bool WriteAll(int fd, const uint8_t* p, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

bool WriteTarget(const std::string& path, std::string& target, std::string& error) {
  fs::path at(path);
  for (int hops = 0; hops <= 40; ++hops) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      target = at.string();
      return true;
    }
    std::error_code ec;
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) {
      error = at.string() + ": the symbolic link cannot be read (" + ec.message() + ")";
      return false;
    }
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  error = path + ": a loop of symbolic links, or more than 40 of them; nothing written";
  return false;
}

FileResult ReplaceFile(const std::string& requested, const std::vector<uint8_t>& bytes, bool durable) {
  if (requested == "-") {
    // After whatever the program printed through its streams, never in between.
    std::cout.flush();
    std::fflush(stdout);
    if (!WriteAll(STDOUT_FILENO, bytes.data(), bytes.size()))
      return FileResult::Fail("standard output: write failed (" + Reason(errno) + ")");
    return {};
  }
  std::string path, linkError;
  if (!WriteTarget(requested, path, linkError)) return FileResult::Fail(linkError);
  // A pipe, a device or a folder at the target is never replaced by a file: refused before
  // anything is written.
  const std::string kind = NotRegularKind(path);
  if (!kind.empty()) return FileResult::Fail(path + ": is " + kind + ", not a regular file; nothing written");
  const fs::path target(path);
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::random_device rd;
  fs::path tmp;
  int fd = -1;
  // O_EXCL: the temporary is created, never opened when it exists, so each writer has its own.
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp-%08x%08x", rd(), rd());
    tmp = target;
    tmp += suffix;
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0 && errno != EEXIST)
      return FileResult::Fail(path + ": cannot be written (" + Reason(errno) + ")");
  }
  if (fd < 0) return FileResult::Fail(path + ": cannot be written (no free temporary name)");
  // A file that is replaced keeps its permissions.
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) [[maybe_unused]] const int m = ::fchmod(fd, old.st_mode & 07777);
  // Written, then forced to the disk before it takes the target's name: after a power cut the
  // target is the old file or the whole new one, never an empty or cut one.
  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  std::string why = ok ? std::string() : Reason(errno);
  if (ok && durable && ::fsync(fd) != 0) {
    ok = false;
    why = Reason(errno);
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    why = Reason(errno);
  }
  std::error_code ec;
  if (!ok) {
    fs::remove(tmp, ec);
    return FileResult::Fail(path + ": write failed (" + why + "); the file was left as it was");
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const std::string msg = Reason(errno);
    fs::remove(tmp, ec);
    return FileResult::Fail(path + ": cannot replace the file (" + msg + ")");
  }
  // The rename itself is kept by syncing the folder that holds the name.
  const int dir = durable ? ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
  if (dir >= 0) {
    const bool synced = ::fsync(dir) == 0 || errno == EINVAL;
    const std::string msg = Reason(errno);
    ::close(dir);
    if (!synced) return FileResult::Fail(path + ": written, but its folder could not be synced (" + msg + ")");
  }
  return {};
}

#else

bool WriteTarget(const std::string& path, std::string& target, std::string&) {
  target = path;
  return true;
}

FileResult ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, bool) {
  if (path == "-") {
    std::cout.flush();
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
      return FileResult::Fail("standard output: write failed (" + Reason(errno) + ")");
    return {};
  }
  const fs::path target(path);
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (fs::exists(st) && !fs::is_regular_file(st))
    return FileResult::Fail(path + ": is not a regular file; nothing written");
  std::random_device rd;
  fs::path tmp;
  FILE* f = nullptr;
  for (int attempt = 0; attempt < 100 && !f; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp-%08x%08x", rd(), rd());
    tmp = target;
    tmp += suffix;
    f = std::fopen(tmp.string().c_str(), "wbx");
    if (!f && errno != EEXIST)
      return FileResult::Fail(path + ": cannot be written (" + Reason(errno) + ")");
  }
  if (!f) return FileResult::Fail(path + ": cannot be written (no free temporary name)");
  const size_t wrote = std::fwrite(bytes.data(), 1, bytes.size(), f);
  const bool flushed = std::fflush(f) == 0;
  const std::string why = Reason(errno);
  const bool closed = std::fclose(f) == 0;
  if (wrote != bytes.size() || !flushed || !closed) {
    fs::remove(tmp, ec);
    return FileResult::Fail(path + ": write failed (" + why + "); the file was left as it was");
  }
  fs::rename(tmp, target, ec);
  if (ec) {
    const std::string msg = ec.message();
    fs::remove(tmp, ec);
    return FileResult::Fail(path + ": cannot replace the file (" + msg + ")");
  }
  return {};
}

#endif

}  // namespace mirelune
