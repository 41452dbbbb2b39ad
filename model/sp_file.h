// SPDX-License-Identifier: GPL-3.0-or-later
// The ".sp" configuration file: the whole parameter table, 9000 packed little-endian records of
// 28 bytes (address n/3, sound-mode slot n%3), 252 000 bytes, no header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/file_bytes.h"
#include "model/param_record.h"

namespace mirelune {

constexpr size_t kSpRecordSize = 28;
constexpr size_t kSpFileSize = kSpRecordSize * RecordTable::kRecords;  // 252 000

// Pure encoding, for tests and the undo buffer alike.
void EncodeRecord(const ParamRecord& r, uint8_t* out28);
ParamRecord DecodeRecord(const uint8_t* in28);
std::vector<uint8_t> EncodeTable(const RecordTable& table);
// False (and the table untouched) unless `bytes` is exactly 252 000 bytes long.
bool DecodeTable(const std::vector<uint8_t>& bytes, RecordTable& table);
// The same in place: exactly kSpFileSize bytes at `out` / `in`.
void EncodeTableInto(const RecordTable& table, uint8_t* out);
void DecodeTableFrom(const uint8_t* in, RecordTable& table);

// Reads a configuration file into `table`. A file that is missing, unreadable, not a regular
// file (a FIFO is refused, not waited on) or shorter than 252 000 bytes is refused and the table
// is left untouched. Of a longer file (an in-place save over a longer file leaves its tail) the
// first 252 000 bytes are read and the result's warning says so.
FileResult LoadTableFromFile(const std::string& path, RecordTable& table);
// What the windows say before the path of such a longer file.
inline constexpr char kLongSpFileText[] = "该配置文件长于 252000 字节，只读取了前 252000 字节：";

// Writes the table to a temporary file of its own beside `path` and renames it over `path`, so
// a failure never leaves a half-written file and an earlier longer file never keeps a stale tail.
FileResult SaveTableToFile(const std::string& path, const RecordTable& table);

}  // namespace mirelune
