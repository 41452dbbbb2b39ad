// SPDX-License-Identifier: GPL-3.0-or-later
// The entry of libmirelune-cli-values.so: `get` and `set` without Qt (values_main.cpp), which
// the front loads for those two commands before it loads the tool.
#pragma once

// What MireluneCliValues returns when the command line is not one it runs: nothing has been
// printed, written or held, and the tool runs the same command line as if it had been asked
// first.
inline constexpr int kValuesHandOver = -1;

// Runs `argv` (the whole command line) when it is a valid get or set on one virtual amplifier
// that no console owns; returns its exit status, or kValuesHandOver. `tool` is the tool's
// library (libmirelune-cli.so), which holds the English texts and is loaded only to say
// something in English.
extern "C" int MireluneCliValues(int argc, char** argv, const char* tool);
