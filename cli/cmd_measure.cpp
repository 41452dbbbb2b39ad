// SPDX-License-Identifier: GPL-3.0-or-later
// measure's row in the command table and its usage. Its code (the measurement maths, FFTW) is
// in the helper mirelune-room (cli/room/measure.cpp), which runs the sound devices' helper
// mirelune-measure in turn for any amplifier but a virtual one.
#include "cli/command.h"
#include "cli/helper_program.h"

namespace mirelune::cli {
namespace {

const char* const kMeasureUsage =
    "usage: mirelune-cli [--device DEVICE] measure -o ROOM.txt [--output NAME] [--input NAME]\n"
    "                    [--length S] [--repeat N] [--window LEFT:RIGHT] [--calibration FILE]\n"
    "                    [--no-level-check] [--page P] [--sub-page E] [--json]\n"
    "       mirelune-cli [--device DEVICE] measure --list\n"
    "Measures the room: pink noise for the input's level first (a warning when it is too low or\n"
    "clips), then an exponential sine sweep, 20 Hz..20 kHz at 48 kHz, played on the sound output\n"
    "NAME (into the amplifier's input) and recorded from the input NAME (the measurement\n"
    "microphone); without them the system's default devices. --list names them. The sweep lasts\n"
    "S seconds (2..16, default 8); with --repeat N (1..16) N sweeps are averaged. The recording\n"
    "is deconvolved to the room's impulse response, the delay is found and a window of LEFT ms\n"
    "before and RIGHT ms after it (default 125:500, each 1..2000) gives the response with its\n"
    "phase, written to ROOM.txt as text a measurement program opens (\"freq SPL phase\" lines\n"
    "under \"*\" comments, 1/48 octave smoothing, 20 Hz..20 kHz at 48 points an octave).\n"
    "--calibration applies a microphone calibration file (\"freq dB\" lines, an optional\n"
    "\"Sens Factor =..dB\" line) to it.\n"
    "With --device virtual[:NAME] the sweep goes through the virtual amplifier's page P (0..7,\n"
    "default 0; E the effects page's part) as it is now, its EQ bands and filters, into a\n"
    "simulated room (modes from 34 to 230 Hz, a deep null at 178 Hz, noise, 37 ms latency, a\n"
    "clock drift of 20 ppm); otherwise the amplifier is not touched.\n"
    "--json prints {\"file\", \"delayMs\", \"points\", \"levelCheck\", \"sweepPeakDb\"}.\n"
    "Exit status: 0 measured and saved, 1 the devices or the file failed (nothing is written),\n"
    "2 a usage error.\n";

const CommandRegistration kMeasure({"measure", "measure the room: a sweep through the amplifier, recorded by a microphone",
                                    kMeasureUsage, InHelper("measure", "mirelune-room"), Syntax().Raw()});

}  // namespace
}  // namespace mirelune::cli
