// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt Multimedia backend on a real sound server: the test starts a PulseAudio server of its
// own (in a folder of its own, reached by its socket only) with a null sink, plays a sweep into
// the sink and records its monitor (offered as a source of its own); the loop is digital, so the response must be flat. Where no
// server can be started here the test says why and skips.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "measure/live_measurement.h"
#include "platform/qt_audio_port.h"

extern char** environ;

namespace mirelune {
namespace {

namespace fs = std::filesystem;

std::string Which(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const fs::path candidate = fs::path(dirs.substr(start, end - start)) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    start = end + 1;
  }
  return {};
}

// A PulseAudio server with one null sink, "MireluneTest", float mono at 48 kHz; stopped (by its
// process id) when the object goes.
class SoundServer {
 public:
  std::string skipReason;

  SoundServer() {
    const std::string binary = Which("pulseaudio");
    if (binary.empty()) {
      skipReason = "no sound server to start here: pulseaudio is not installed";
      return;
    }
    const char* base = std::getenv("MIRELUNE_TEST_TMP");
    fs::create_directories(base ? base : "/tmp");
    char templ[4096];
    std::snprintf(templ, sizeof templ, "%s/pulse.XXXXXX", base ? base : "/tmp");
    if (!::mkdtemp(templ)) {
      skipReason = "no folder for the sound server";
      return;
    }
    dir_ = templ;
    socket_ = dir_ + "/native";
    std::ofstream(dir_ + "/client.conf") << "autospawn = no\n";
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    setenv("PULSE_RUNTIME_PATH", dir_.c_str(), 1);
    setenv("PULSE_CLIENTCONFIG", (dir_ + "/client.conf").c_str(), 1);
    setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
    const std::string home = "HOME=" + dir_;
    std::vector<std::string> args = {
        binary, "--daemonize=no", "--exit-idle-time=-1", "-n", "--use-pid-file=no", "--log-target=file:" + dir_ + "/log",
        "--load=module-null-sink sink_name=mirelune_test rate=48000 channels=1 format=float32le "
        "sink_properties=device.description=MireluneTest",
        // Qt lists no monitor sources: the monitor is offered again as a source of its own.
        "--load=module-remap-source master=mirelune_test.monitor source_name=mirelune_mic "
        "source_properties=device.description=MireluneMic",
        "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket_};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, binary.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
      skipReason = "pulseaudio could not be started";
      return;
    }
    // The server is ready when its socket appears: at most 5 s.
    for (int i = 0; i < 250 && !fs::exists(socket_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!fs::exists(socket_)) skipReason = "pulseaudio started but made no socket within 5 s (see " + dir_ + "/log)";
  }

  ~SoundServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }

 private:
  pid_t pid_ = -1;
  std::string dir_;
  std::string socket_;
};

std::string Named(const std::vector<std::string>& names, const std::string& part) {
  for (const std::string& n : names)
    if (n.find(part) != std::string::npos) return n;
  return {};
}

TEST(RealAudio, SweepThroughANullSinkIsFlat) {
  SoundServer server;
  if (!server.skipReason.empty()) GTEST_SKIP() << server.skipReason;
  static int argc = 1;
  static char name[] = "measure_audio_tests";
  static char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);

  QtAudioPort port;
  const std::string output = Named(port.Outputs(), "MireluneTest");
  const std::string input = Named(port.Inputs(), "MireluneMic");
  ASSERT_FALSE(output.empty()) << "Qt Multimedia does not list the test server's sink";
  ASSERT_FALSE(input.empty()) << "Qt Multimedia does not list the sink's monitor";

  LiveSettings s;
  s.output = output;
  s.input = input;
  s.sweep.seconds = 2;
  s.tailSeconds = 0.5;
  s.levelCheckSeconds = 0.5;
  const LiveResult r = RunLiveMeasurement(port, s, {}, nullptr);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.levelChecked);
  EXPECT_EQ(r.noiseLevel.verdict, InputLevel::Verdict::Ok);
  // Flat: within 0.5 dB of its own mean level over 30 Hz..16 kHz. The sound server's own
  // volumes set the overall level, which is no part of the response's shape.
  double sum = 0;
  int count = 0;
  for (size_t i = 0; i < r.response.size(); ++i)
    if (r.response.freqHz[i] >= 30 && r.response.freqHz[i] <= 16000) {
      sum += r.response.db[i];
      ++count;
    }
  ASSERT_GT(count, 0);
  const double mean = sum / count;
  for (size_t i = 0; i < r.response.size(); ++i) {
    const double f = r.response.freqHz[i];
    if (f >= 30 && f <= 16000) {
      EXPECT_NEAR(r.response.db[i], mean, 0.5) << f;
    }
  }
  std::printf("  delay through the server: %.1f ms\n", r.ir.DelayMs());
}

}  // namespace
}  // namespace mirelune
