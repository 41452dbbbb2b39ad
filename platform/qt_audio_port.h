// SPDX-License-Identifier: GPL-3.0-or-later
// AudioPort over Qt Multimedia: the system's sound outputs and inputs (PulseAudio or PipeWire
// on Linux, through Qt's own backend), by their descriptions.
//
// PlayAndRecord starts the input first and the output right after, both at 48 kHz, and runs a
// local event loop on the calling thread until the signal and the tail are recorded: the
// deconvolution finds the delay between them, so neither start needs to be exact. Formats: a
// float mono stream where the device takes it, else 16-bit, else the device's channel count
// (the signal goes to every output channel; the first input channel is recorded). A device
// that takes no 48 kHz format is refused with its name. A recording that delivers nothing for
// 3 s, or is not done 5 s after it should have been, ends with an error.
//
// This backend loads Qt Gui (through Qt Multimedia): it is in mirelune_platform_audio, which
// the console and mirelune-cli's helper mirelune-measure link, never mirelune-cli itself.
#pragma once

#include "platform/audio_port.h"

namespace mirelune {

class QtAudioPort : public AudioPort {
 public:
  std::vector<std::string> Outputs() override;
  std::vector<std::string> Inputs() override;
  AudioResult PlayAndRecord(const AudioRequest& request, const Progress& progress,
                            const std::atomic<bool>* cancel) override;
};

}  // namespace mirelune
