// SPDX-License-Identifier: GPL-3.0-or-later
// The audio port: the computer's sound output (into the amplifier's input) and input (the
// measurement microphone), seen as one call that plays a signal and records meanwhile.
//
// Backends: QtAudioPort (Qt Multimedia, platform/qt_audio_port.h; it loads Qt Gui, so it lives in
// a library of its own that the command-line tool does not link) and VirtualAudioPort (sim/: the
// virtual amplifier's EQ and a simulated room). This header is plain C++: the measurement maths
// (measure/) drive any backend through it.
//
// Thread: PlayAndRecord blocks until the recording is complete, cancelled or failed, and is
// meant to run on a worker thread (the console's window stays responsive meanwhile); progress
// is reported on the calling thread. One call at a time per port.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace mirelune {

struct AudioRequest {
  std::string output;         // a name of Outputs(); empty: the system's default output
  std::string input;          // a name of Inputs(); empty: the system's default input
  int rate = 48000;           // samples per second of both
  std::vector<float> signal;  // mono, full scale 1, played from its first sample
  // How long to record after the signal ended: the chain's latency and the room's decay.
  double tailSeconds = 1.0;
};

struct AudioResult {
  bool ok = false;
  bool cancelled = false;
  std::string error;           // why not ok, in English: "no input named 'X'", ...
  std::vector<float> captured; // mono at the request's rate, from before the signal's first
                               // sample reached the output to the end of the tail
};

class AudioPort {
 public:
  // Called with the share done, 0..1, now and then while playing.
  using Progress = std::function<void(double done)>;

  virtual ~AudioPort() = default;

  // The names of the sound outputs and inputs, as the system describes them.
  virtual std::vector<std::string> Outputs() = 0;
  virtual std::vector<std::string> Inputs() = 0;

  // Plays request.signal on the output while recording the input, until the signal has played
  // and request.tailSeconds more were recorded. `cancel` (may be null) is polled: once set, the
  // call stops within 100 ms and returns cancelled. A backend's own bound on the wait (the
  // signal's length plus a margin) ends a recording that stalls with an error.
  virtual AudioResult PlayAndRecord(const AudioRequest& request, const Progress& progress,
                                    const std::atomic<bool>* cancel) = 0;
};

}  // namespace mirelune
