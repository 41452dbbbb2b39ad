// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/room_messages.h"

#include <QByteArray>
#include <QJsonDocument>
#include <algorithm>
#include <vector>

#include "model/sp_file.h"

namespace mirelune {

bool ValidCommandId(const std::string& id) {
  return !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                  c == ':' || c == '-';
         });
}

std::string PackTable(const RecordTable& table) {
  const std::vector<uint8_t> bytes = EncodeTable(table);
  const QByteArray raw(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  return qCompress(raw, 9).toBase64().toStdString();
}

bool UnpackTable(const std::string& text, bool compressed, RecordTable& table, std::string& error) {
  const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(text), QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded) {
    error = "the table is not base64";
    return false;
  }
  QByteArray raw = *decoded;
  if (compressed) {
    // qUncompress trusts the length it is given; a wrong one is refused here instead.
    const bool sized = raw.size() > 4 && static_cast<uint8_t>(raw[0]) == ((kSpFileSize >> 24) & 0xFF) &&
                       static_cast<uint8_t>(raw[1]) == ((kSpFileSize >> 16) & 0xFF) &&
                       static_cast<uint8_t>(raw[2]) == ((kSpFileSize >> 8) & 0xFF) &&
                       static_cast<uint8_t>(raw[3]) == (kSpFileSize & 0xFF);
    if (!sized) {
      error = "the compressed table does not declare " + std::to_string(kSpFileSize) + " bytes";
      return false;
    }
    raw = qUncompress(raw);
  }
  if (static_cast<size_t>(raw.size()) != kSpFileSize) {
    error = "the table holds " + std::to_string(raw.size()) + " bytes, not " + std::to_string(kSpFileSize) +
            (compressed ? " (damaged compressed data)" : "");
    return false;
  }
  const std::vector<uint8_t> bytes(raw.begin(), raw.end());
  return DecodeTable(bytes, table);
}

int CommandMode(const QJsonValue& value) {
  if (value.isDouble()) {
    const double d = value.toDouble();
    return d >= 1 && d <= 10 && d == static_cast<double>(static_cast<int>(d)) ? static_cast<int>(d) : 0;
  }
  if (!value.isString()) return 0;
  const std::string s = value.toString().toStdString();
  size_t n = 0;
  int number = 0;
  while (n < s.size() && n < 2 && s[n] >= '0' && s[n] <= '9') number = number * 10 + (s[n++] - '0');
  if (n == 0 || (n < s.size() && s[n] != ' ')) return 0;
  return number >= 1 && number <= 10 ? number : 0;
}

std::string ModeOption(int number, const std::string& name) {
  return name.empty() ? std::to_string(number) : std::to_string(number) + " " + name;
}

std::string JsonText(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

bool ParseJsonObject(const std::string& text, QJsonObject& object) {
  QJsonParseError e{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &e);
  if (!doc.isObject()) return false;
  object = doc.object();
  return true;
}

}  // namespace mirelune
