// SPDX-License-Identifier: GPL-3.0-or-later
// One name per parameter: the name, its English translation and the unit of every store
// address that holds a parameter. Tool tips, captions, the command line's names and JSON, the
// menu-visibility editor and the link log all take names from here.
//
// The names start from the front-panel menu catalogue. Where the catalogue's menu address
// shows something other than the store layout holds there (the microphone kinds name menu
// address 0 "话筒音量" and 0x14 "高通滤波器", while the store keeps the high-pass frequency at 0
// and the microphone volume at 0x14), the store layout and the console's controls decide the
// name; the catalogue itself keeps its order for the hidden attributes it sends. Addresses the
// catalogue does not name at all get names of their own.
//
// Plain C++, no Qt.
#pragma once

#include <string>
#include <vector>

namespace mirelune {

struct NamedParam {
  int address = -1;
  std::string zh;    // the source text, as the console shows it in Chinese
  std::string en;    // its English translation
  std::string unit;  // unit of the shown number ("Hz", "dB", "ms", "%", ":1", "")
};

// The name of `address`; nullptr for an address that holds no parameter.
const NamedParam* NameOf(int address);

// Every named address, in address order.
const std::vector<NamedParam>& AllParamNames();

// The kind's caption ("音乐", "话筒1.2", ..., "系统") and its English.
std::string KindCaption(int kind);
std::string KindCaptionEn(int kind);

// "KIND:NAME" as the command line names a parameter ("1:高通滤波器频点"); empty when none.
std::string QualifiedName(int address);

// The addresses whose Chinese or English name is `name` (exactly, English without regard to
// case); `kind` -1 searches every kind.
std::vector<int> AddressesNamed(const std::string& name, int kind);

// Unit of the number shown for `address` (its slider's value type, or the name table's own unit
// for plain numbers); "" when it has none.
std::string UnitOf(int address);

// Unit of a slider of `valueType` bound to `address`: the value type's own, and for the plain
// numbers of type 0 the parameter's (a delay counts milliseconds, a level has none).
std::string SliderUnit(int address, int valueType);

// The raw device value `value` of `address` as a person reads it, with its unit: "80 Hz",
// "100%", "4.0:1", "-3.5 dB", "OFF"; a muted volume adds " (muted)". A value that is no position
// of the address's slider, and addresses without a slider, read as the plain number.
std::string ParamValueText(int address, long value);

// An EQ band's gain code, frequency index and Q index as a person reads them:
// "+15.0 dB, 1000 Hz, Q 1.00".
std::string BandText(int gainCode, int freqIndex, int qIndex);

}  // namespace mirelune
