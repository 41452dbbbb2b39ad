// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/sp_file.h"

#include <filesystem>

namespace mirelune {
namespace {

void Put32(uint8_t* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  p[2] = static_cast<uint8_t>(u >> 16);
  p[3] = static_cast<uint8_t>(u >> 24);
}

void Put16(uint8_t* p, int16_t v) {
  const uint16_t u = static_cast<uint16_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
}

int32_t Get32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

int16_t Get16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
}

}  // namespace

void EncodeRecord(const ParamRecord& r, uint8_t* o) {
  o[0] = r.Kind;
  Put32(o + 1, r.Value);
  o[5] = r.QType;
  Put32(o + 6, r.Freq);
  Put32(o + 10, r.Gain);
  Put32(o + 14, r.Q);
  Put32(o + 18, r.SQ);
  Put16(o + 22, r.Valid);
  Put16(o + 24, r.PerMode);
  Put16(o + 26, r.EQDisabled);
}

ParamRecord DecodeRecord(const uint8_t* i) {
  ParamRecord r;
  r.Kind = i[0];
  r.Value = Get32(i + 1);
  r.QType = i[5];
  r.Freq = Get32(i + 6);
  r.Gain = Get32(i + 10);
  r.Q = Get32(i + 14);
  r.SQ = Get32(i + 18);
  r.Valid = Get16(i + 22);
  r.PerMode = Get16(i + 24);
  r.EQDisabled = Get16(i + 26);
  return r;
}

void EncodeTableInto(const RecordTable& table, uint8_t* out) {
  for (int n = 0; n < RecordTable::kRecords; ++n)
    EncodeRecord(table.record(n), out + static_cast<size_t>(n) * kSpRecordSize);
}

void DecodeTableFrom(const uint8_t* in, RecordTable& table) {
  for (int n = 0; n < RecordTable::kRecords; ++n)
    table.record(n) = DecodeRecord(in + static_cast<size_t>(n) * kSpRecordSize);
}

std::vector<uint8_t> EncodeTable(const RecordTable& table) {
  std::vector<uint8_t> out(kSpFileSize);
  EncodeTableInto(table, out.data());
  return out;
}

bool DecodeTable(const std::vector<uint8_t>& bytes, RecordTable& table) {
  if (bytes.size() != kSpFileSize) return false;
  DecodeTableFrom(bytes.data(), table);
  return true;
}

FileResult LoadTableFromFile(const std::string& path, RecordTable& table) {
  // One byte more than a file holds, so a longer file is told apart.
  std::vector<uint8_t> bytes;
  FileResult r = ReadRegularFile(path, kSpFileSize + 1, bytes);
  if (!r) return r;
  const size_t got = bytes.size();
  if (got < kSpFileSize)
    return FileResult::Fail(path + ": not a configuration file: " + std::to_string(got) +
                            " bytes, a configuration file has " + std::to_string(kSpFileSize));
  if (got > kSpFileSize) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    r.warning = path + ": " + (ec ? "more than " + std::to_string(kSpFileSize) : std::to_string(size)) +
                " bytes, longer than a configuration file: its first " + std::to_string(kSpFileSize) +
                " bytes were read";
    bytes.resize(kSpFileSize);
  }
  DecodeTable(bytes, table);
  return r;
}

FileResult SaveTableToFile(const std::string& path, const RecordTable& table) {
  return ReplaceFile(path, EncodeTable(table));
}

}  // namespace mirelune
