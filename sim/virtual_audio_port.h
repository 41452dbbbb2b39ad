// SPDX-License-Identifier: GPL-3.0-or-later
// AudioPort in front of the virtual amplifier and a simulated room: what a measurement
// microphone would record while the sweep plays through the amplifier's page into a room.
//
// The chain, in double precision at 48 kHz: the amplifier's page as the page's own filter
// maths designs it (graph/filter_calc.h: every EQ band and high-/low-pass the page's sum
// counts; the EQ bands are skipped while the page's bypass is on), the room's modes (cookbook
// peaking sections: a mode is a peak or, with a negative gain, a dip of its frequency, gain
// and Q), the room's overall gain, the latency, a small drift of the input's clock against
// the output's (the recording is resampled by a windowed-sinc interpolator, flat within
// 0.01 dB to 20 kHz), white noise at the microphone and the input's converter, which clips at
// full scale.
//
// Thread: the amplifier's page is a snapshot (SetAmplifier) taken on the thread that owns the
// amplifier, before PlayAndRecord runs on a worker; PlayAndRecord computes the whole recording
// at once (no real time passes) and reports progress and polls `cancel` every quarter second
// of audio.
#pragma once

#include <cstdint>
#include <vector>

#include "graph/filter_calc.h"
#include "graph/graph_bands.h"
#include "platform/audio_port.h"

namespace mirelune {

class VirtualAmplifier;

struct RoomMode {
  double freqHz = 0;
  double gainDb = 0;
  double q = 1;
};

struct VirtualRoom {
  std::vector<RoomMode> modes;
  double gainDb = 0;        // the room's and microphone's overall gain
  double noiseDbfs = -80;   // the microphone's noise, RMS in dB of full scale; -400 none
  double latencyMs = 37;    // output to input, rounded to the sample when there is no drift
  double driftPpm = 20;     // the input clock runs this much faster than the output's
  uint32_t seed = 1;        // of the noise

  // The room of `--device virtual` and the console's virtual amplifier: a small living room's
  // modes below 250 Hz, one of them a deep, narrow null.
  static VirtualRoom Default();
};

// Biquad sections in the order they are applied.
using AudioChain = std::vector<FilterCalc::BandSections>;

// Every band a page's sum counts (the marked bands, the filters and the extra EQ bands), as
// sections; bands switched off, off filters and, with `eqBypassed`, the EQ bands give none.
AudioChain PageChain(const GraphBandTable& bands, int page, bool eqBypassed = false);

// The virtual amplifier's working set, page `page` (part `subPage` of the effects page), in
// the sound mode the amplifier is in, with its bypass.
AudioChain AmplifierPageChain(const VirtualAmplifier& amplifier, int page, int subPage = 0);

class VirtualAudioPort : public AudioPort {
 public:
  static constexpr const char* kOutputName = "Mirelune virtual amplifier (input)";
  static constexpr const char* kInputName = "Mirelune virtual room (microphone)";

  explicit VirtualAudioPort(VirtualRoom room = VirtualRoom::Default());

  // The amplifier's page from now on; an empty chain passes the signal unchanged.
  void SetAmplifier(AudioChain chain) { amplifier_ = std::move(chain); }
  VirtualRoom& Room() { return room_; }

  std::vector<std::string> Outputs() override { return {kOutputName}; }
  std::vector<std::string> Inputs() override { return {kInputName}; }
  // Empty names or the names above; the rate must be 48000.
  AudioResult PlayAndRecord(const AudioRequest& request, const Progress& progress,
                            const std::atomic<bool>* cancel) override;

 private:
  VirtualRoom room_;
  AudioChain amplifier_;
  uint32_t runs_ = 0;  // each recording gets noise of its own
};

}  // namespace mirelune
