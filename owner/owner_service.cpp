// SPDX-License-Identifier: GPL-3.0-or-later
#include "owner/owner_service.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "model/band_fields.h"
#include "model/param_names.h"
#include "model/param_ranges.h"
#include "model/store.h"

namespace mirelune {

namespace {

std::string Line(const QJsonObject& o) {
  return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::string Failure(const std::string& error, QJsonObject o = {}) {
  o["ok"] = false;
  o["error"] = QString::fromStdString(error);
  return Line(o);
}

bool IsBand(int address) { return StartUpStore().ParamTable.at(0, address).Kind == kEqBand; }

// A whole number in a JSON value, or false.
bool WholeNumber(const QJsonValue& v, long& out) {
  if (!v.isDouble()) return false;
  const double d = v.toDouble();
  if (d != static_cast<double>(static_cast<long>(d)) || d < -2147483648.0 || d > 2147483647.0)
    return false;
  out = static_cast<long>(d);
  return true;
}

QJsonObject RecordJson(int address, const ParamRecord& r) {
  QJsonObject o;
  o["address"] = address;
  if (r.Kind == kEqBand) {
    for (const BandFieldRange& f : BandFieldRanges())
      o[f.name] = static_cast<qint64>(BandField(r, f.name));
  } else {
    o["value"] = static_cast<qint64>(r.Value);
  }
  return o;
}

}  // namespace

bool OwnerService::CheckChanges(const std::vector<OwnerChange>& changes, std::string& error) {
  if (changes.empty()) {
    error = "no change given";
    return false;
  }
  for (const OwnerChange& c : changes) {
    const std::string at = "address " + std::to_string(c.address);
    if (!HoldsParam(c.address)) {
      error = at + " holds no parameter";
      return false;
    }
    if (c.band != IsBand(c.address)) {
      error = at + (c.band ? " is not an EQ band" : " is an EQ band: give its fields");
      return false;
    }
    if (c.band) {
      if (c.fields.empty()) {
        error = at + ": no band field given";
        return false;
      }
      ParamRecord probe;
      for (const auto& [name, v] : c.fields)
        if (!SetBandField(probe, name, v, error)) {
          error = at + ": " + error;
          return false;
        }
    } else {
      const ParamRange range = RangeOf(c.address);
      if (!range.Contains(c.value)) {
        error = "value " + std::to_string(c.value) + " outside the range of " + at + ": " + range.Text();
        return false;
      }
    }
  }
  return true;
}

bool OwnerService::CheckBatch(const std::vector<OwnerChange>& changes, OwnerBackend& backend,
                              std::string& error, bool& refused) {
  refused = true;
  if (!CheckChanges(changes, error)) return false;
  std::vector<std::pair<int, long long>> values;
  bool volume = false;
  for (const OwnerChange& c : changes) {
    if (c.band) continue;
    values.emplace_back(c.address, c.value);
    volume = volume || (c.address >= kMasterVolumeFirst && c.address < kMasterVolumeFirst + 3);
  }
  if (!volume) return true;
  std::vector<ParamRecord> records;
  const std::vector<int> limitAddresses = {kMasterVolumeLimitFirst, kMasterVolumeLimitFirst + 1,
                                           kMasterVolumeLimitFirst + 2};
  if (!backend.Get(limitAddresses, -1, records, error) || records.size() != limitAddresses.size()) {
    refused = false;
    if (error.empty()) error = "the master volumes' limits could not be read";
    return false;
  }
  const MasterLimits before = {records[0].Value, records[1].Value, records[2].Value};
  return CheckMasterLimits(values, before, error);
}

std::string OwnerService::ChangeEvent(const std::vector<int>& addresses, const std::string& by) {
  QJsonObject o;
  o["event"] = "changed";
  QJsonArray a;
  for (int x : addresses) a.append(x);
  o["addresses"] = a;
  o["by"] = QString::fromStdString(by);
  return Line(o);
}

std::string OwnerService::Handle(const std::string& request, bool& subscribe) {
  subscribe = false;
  QJsonParseError parseError{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(request), &parseError);
  if (!doc.isObject()) return Failure("the request is not a JSON object");
  const QJsonObject in = doc.object();
  const std::string op = in.value("op").toString().toStdString();

  long sound = -1;
  if (in.contains("sound_mode") && (!WholeNumber(in.value("sound_mode"), sound) || sound < 0 || sound > 1))
    return Failure("sound_mode must be 0 or 1", QJsonObject{{"refused", true}});

  if (op == "hello") {
    const OwnerFacts f = backend_.Facts();
    QJsonObject o;
    o["ok"] = true;
    o["program"] = QString::fromStdString(f.program);
    o["pid"] = static_cast<qint64>(f.pid);
    o["device"] = QString::fromStdString(f.device);
    o["identifier"] = QString::fromStdString(f.identifier);
    o["online"] = f.online;
    o["mode"] = f.mode >= 0 ? QJsonValue(f.mode + 1) : QJsonValue();
    o["sound_mode"] = f.soundMode;
    return Line(o);
  }
  if (op == "subscribe") {
    subscribe = true;
    QJsonObject o;
    o["ok"] = true;
    return Line(o);
  }
  if (op == "get") {
    std::vector<int> addresses;
    for (const QJsonValue& v : in.value("addresses").toArray()) {
      long a = 0;
      if (!WholeNumber(v, a) || !HoldsParam(a))
        return Failure("no parameter at address " + v.toVariant().toString().toStdString());
      addresses.push_back(static_cast<int>(a));
    }
    if (addresses.empty()) return Failure("no address given");
    std::vector<ParamRecord> records;
    std::string error;
    if (!backend_.Get(addresses, static_cast<int>(sound), records, error)) return Failure(error);
    const OwnerFacts f = backend_.Facts();
    QJsonObject o;
    o["ok"] = true;
    o["mode"] = f.mode >= 0 ? QJsonValue(f.mode + 1) : QJsonValue();
    o["sound_mode"] = sound >= 0 ? static_cast<int>(sound) : f.soundMode;
    QJsonArray params;
    for (size_t i = 0; i < addresses.size() && i < records.size(); ++i)
      params.append(RecordJson(addresses[i], records[i]));
    o["params"] = params;
    return Line(o);
  }
  if (op == "set") {
    // A request refused as it stands: nothing was tried.
    const auto refuse = [](const std::string& why) { return Failure(why, QJsonObject{{"refused", true}}); };
    std::vector<OwnerChange> changes;
    for (const QJsonValue& v : in.value("changes").toArray()) {
      const QJsonObject c = v.toObject();
      OwnerChange change;
      long a = 0;
      if (!WholeNumber(c.value("address"), a)) return refuse("a change without a whole-number address");
      change.address = static_cast<int>(a);
      if (c.contains("value")) {
        long value = 0;
        if (!WholeNumber(c.value("value"), value))
          return refuse("address " + std::to_string(a) + ": the value is not a whole number");
        change.value = static_cast<int32_t>(value);
      } else {
        change.band = true;
        for (auto it = c.begin(); it != c.end(); ++it) {
          if (it.key() == "address") continue;
          long value = 0;
          if (!WholeNumber(it.value(), value))
            return refuse("address " + std::to_string(a) + ": " + it.key().toStdString() +
                          " is not a whole number");
          change.fields.emplace_back(it.key().toStdString(), value);
        }
      }
      changes.push_back(std::move(change));
    }
    std::string error;
    QJsonObject counts;
    counts["acknowledged"] = 0;
    counts["of"] = static_cast<int>(changes.size());
    bool refused = false;
    if (!CheckBatch(changes, backend_, error, refused)) {
      if (refused) counts["refused"] = true;
      return Failure(error, counts);
    }
    size_t acknowledged = 0;
    const std::string by = in.value("by").toString().toStdString();
    // The sound mode the changes go to is the one in effect when they are applied; a switch in
    // the same request follows them.
    const int soundBefore = backend_.Facts().soundMode;
    const bool ok = backend_.Set(changes, static_cast<int>(sound), by, acknowledged, error);
    counts["acknowledged"] = static_cast<int>(acknowledged);
    if (!ok) return Failure(error, counts);
    const OwnerFacts f = backend_.Facts();
    counts["ok"] = true;
    counts["mode"] = f.mode >= 0 ? QJsonValue(f.mode + 1) : QJsonValue();
    counts["sound_mode"] = sound >= 0 ? static_cast<int>(sound) : soundBefore;
    return Line(counts);
  }
  if (op == "mode-names") {
    std::vector<std::string> names;
    std::string error;
    if (!backend_.ModeNames(names, error)) return Failure(error);
    QJsonArray a;
    for (const std::string& n : names) a.append(QString::fromStdString(n));
    QJsonObject o;
    o["ok"] = true;
    o["names"] = a;
    return Line(o);
  }
  return Failure("unknown request '" + op + "' (hello, get, set, mode-names, subscribe)");
}

}  // namespace mirelune
