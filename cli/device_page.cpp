// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/device_page.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <sstream>

#include "cli/help.h"
#include "graph/graph_bands.h"
#include "model/store.h"

namespace mirelune::cli {
namespace {

const Command* Find(const std::string& name) {
  for (const Command& c : Commands())
    if (c.name == name) return &c;
  return nullptr;
}

// Runs another command of the table with the caller's options and session; its standard
// output is returned in `out`.
int Run(Context& ctx, const std::string& name, const std::vector<std::string>& args, std::string& out) {
  const Command* c = Find(name);
  if (!c) {
    ctx.err << "mirelune-cli: the command " << name << " is missing from this build\n";
    return kExitFailed;
  }
  std::ostringstream captured;
  Context sub{ctx.options, captured, ctx.err, ctx.shared};
  const int status = RunCommand(*c, sub, args);
  out = captured.str();
  return status;
}

}  // namespace

int ReadDevicePage(Context& ctx, int page, int subPage, bool hasSound, int& sound, Store& store) {
  store.InitDefaults();
  store.CurrentPage = page;
  store.EffectSubPage = static_cast<uint8_t>(subPage);
  GraphBandTable layout;
  BuildGraphBands(store, nullptr, layout);
  std::vector<std::string> args;
  auto add = [&](const GraphBand& b) {
    args.push_back(std::to_string(b.Addr));
    if (b.Paired != 0) args.push_back(std::to_string(b.Addr + 1));
  };
  for (int b = 0; b < layout.count; ++b) add(layout.bands[static_cast<size_t>(b)]);
  for (int e = 0; e < layout.extraCount; ++e) add(layout.extra[static_cast<size_t>(e)]);
  args.push_back(std::to_string(store.BypassAddress()));
  args.push_back("--json");
  if (hasSound) {
    args.push_back("--sound-mode");
    args.push_back(std::to_string(sound));
  }
  std::string json;
  const int status = Run(ctx, "get", args, json);
  if (status != kExitOk) return status;
  const QJsonObject reply = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
  sound = reply.value("sound_mode").toInt() == 1 ? 1 : 0;
  store.SetCurrentSoundMode(static_cast<uint8_t>(sound));
  const QJsonArray params = reply.value("params").toArray();
  if (params.size() + 1 != static_cast<qsizetype>(args.size()) - (hasSound ? 2 : 0)) {
    ctx.err << "mirelune-cli: get answered " << params.size() << " parameters of "
            << args.size() - 1 - (hasSound ? 2 : 0) << "\n";
    return kExitFailed;
  }
  for (const QJsonValue& v : params) {
    const QJsonObject p = v.toObject();
    const int address = p.value("address").toInt();
    ParamRecord& r = store.ParamTable.at(store.SlotFor(address), address);
    if (p.contains("value")) {
      r.Value = p.value("value").toInt();
      continue;
    }
    r.Gain = p.value("gain").toInt();
    r.Freq = p.value("freq").toInt();
    r.Q = p.value("q").toInt();
    r.SQ = p.value("sq").toInt();
    r.QType = static_cast<uint8_t>(p.value("shape").toInt());
    r.EQDisabled = p.value("off").toInt() != 0 ? kTrue : kFalse;
  }
  return kExitOk;
}

std::string BandAssignment(int address, int freq, int gain, int q, int sq, int shape, bool off) {
  return std::to_string(address) + ":gain=" + std::to_string(gain) + ",freq=" + std::to_string(freq) +
         ",q=" + std::to_string(q) + ",sq=" + std::to_string(sq) + ",shape=" + std::to_string(shape) +
         ",off=" + (off ? "1" : "0");
}

int SetOnDevice(Context& ctx, const std::vector<std::string>& assignments, int sound) {
  std::vector<std::string> args = assignments;
  args.push_back("--sound-mode");
  args.push_back(std::to_string(sound));
  std::string confirmations;
  return Run(ctx, "set", args, confirmations);
}

}  // namespace mirelune::cli
