#include "sim/virtual_state.h"

#include <QDir>
#include <QStandardPaths>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "model/menu_catalogue.h"
#include "model/sp_file.h"
#include "sim/virtual_amplifier.h"

namespace mirelune {
namespace {

constexpr char kMagic[8] = {'M', 'L', 'V', 'A', 'M', 'P', '0', '1'};
constexpr size_t kNameBytes = 11 * 12;
constexpr size_t kFlagBytes = kCatalogueKinds * kMaxMenuItems;
constexpr size_t kTables = 1 + VirtualAmplifier::kModeCount;
constexpr size_t kStateSize = sizeof kMagic + 1 + kNameBytes + kFlagBytes + kTables * kSpFileSize;

}  // namespace

std::string VirtualStatePath() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) base = QDir::homePath() + "/.local/share";
  return (base + "/Mirelune/virtual-amplifier.state").toStdString();
}

bool LoadVirtualState(const std::string& path, VirtualAmplifier& amp, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  if (bytes.size() != kStateSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    error = path + ": not a virtual amplifier state (" + std::to_string(bytes.size()) +
            " bytes); starting from the factory state";
    return false;
  }
  size_t p = sizeof kMagic;
  const int mode = bytes[p++];
  amp.SetCurrentMode(mode < VirtualAmplifier::kModeCount ? mode : 0);
  for (int n = 0; n < 11; ++n) {
    std::string name;
    for (size_t i = 0; i < 12 && bytes[p + i] != 0; ++i) name += static_cast<char>(bytes[p + i]);
    amp.ModeName(n) = name;
    p += 12;
  }
  for (int k = 0; k < kCatalogueKinds; ++k)
    for (int i = 0; i < kMaxMenuItems; ++i) amp.MenuHidden(k, i) = bytes[p++] & 1;
  auto table = [&](RecordTable& t) {
    std::vector<uint8_t> chunk(bytes.begin() + static_cast<long>(p),
                               bytes.begin() + static_cast<long>(p + kSpFileSize));
    DecodeTable(chunk, t);
    p += kSpFileSize;
  };
  table(amp.Working());
  for (int n = 0; n < VirtualAmplifier::kModeCount; ++n) table(amp.StoredMode(n));
  return true;
}

bool SaveVirtualState(const std::string& path, VirtualAmplifier& amp, std::string& error) {
  std::vector<uint8_t> bytes(kMagic, kMagic + sizeof kMagic);
  bytes.reserve(kStateSize);
  bytes.push_back(static_cast<uint8_t>(amp.CurrentMode()));
  for (int n = 0; n < 11; ++n) {
    std::string name = amp.ModeName(n);
    name.resize(12, '\0');
    bytes.insert(bytes.end(), name.begin(), name.end());
  }
  for (int k = 0; k < kCatalogueKinds; ++k)
    for (int i = 0; i < kMaxMenuItems; ++i) bytes.push_back(amp.MenuHidden(k, i));
  auto table = [&](const RecordTable& t) {
    std::vector<uint8_t> chunk = EncodeTable(t);
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
  };
  table(amp.Working());
  for (int n = 0; n < VirtualAmplifier::kModeCount; ++n) table(amp.StoredMode(n));

  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      error = tmp + ": cannot be written";
      return false;
    }
  }
  fs::rename(tmp, path, ec);
  if (ec) {
    error = path + ": " + ec.message();
    fs::remove(tmp, ec);
    return false;
  }
  return true;
}

}  // namespace mirelune
