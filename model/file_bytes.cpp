#include "model/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
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
  std::vector<uint8_t> data(limit);
  size_t got = 0;
  while (got < limit) {
    const ssize_t n = ::read(fd, data.data() + got, limit - got);
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

FileResult ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const fs::path target(path);
  std::random_device rd;
  fs::path tmp;
  FILE* f = nullptr;
  // "x": the temporary is created, never opened when it exists, so each writer has its own.
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
  std::error_code ec;
  if (wrote != bytes.size() || !flushed || !closed) {
    fs::remove(tmp, ec);
    return FileResult::Fail(path + ": write failed (" + why + ")");
  }
  fs::rename(tmp, target, ec);
  if (ec) {
    const std::string msg = ec.message();
    fs::remove(tmp, ec);
    return FileResult::Fail(path + ": cannot replace the file (" + msg + ")");
  }
  return {};
}

}  // namespace mirelune
