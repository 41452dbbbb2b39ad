// SPDX-License-Identifier: GPL-3.0-or-later
#include "remote/remote_api.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "model/band_fields.h"
#include "model/param_names.h"
#include "model/store.h"
#include "platform/tr.h"

namespace mirelune {

namespace {

// The change log speaks the program's language (the console's, or the tool's locale and
// --lang): who, as "员工"/"安装人员", and the parameter's KIND:NAME in that language.
std::string RoleWord(RemoteRole role) {
  return Tr(role == RemoteRole::Installer ? "安装人员" : "员工").toStdString();
}

std::string LoggedName(int address) {
  const NamedParam* n = NameOf(address);
  if (!n) return {};
  return std::to_string(address / 256) + ":" + (ShowingTranslation() ? n->en : n->zh);
}

std::string Json(const QJsonObject& o) {
  return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

RemoteReply Reply(int status, const QJsonObject& o) {
  RemoteReply r;
  r.status = status;
  r.body = Json(o);
  return r;
}

RemoteReply Error(int status, const std::string& text) {
  QJsonObject o;
  o["error"] = QString::fromStdString(text);
  return Reply(status, o);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

bool IsBandAddress(int address) { return StartUpStore().ParamTable.at(0, address).Kind == kEqBand; }

bool WholeNumber(const QJsonValue& v, long& out) {
  if (!v.isDouble()) return false;
  const double d = v.toDouble();
  if (d != static_cast<double>(static_cast<long>(d)) || d < -2147483648.0 || d > 2147483647.0) return false;
  out = static_cast<long>(d);
  return true;
}

QJsonObject ParamObject(int address, const ParamRecord& r, const Store& store) {
  QJsonObject o;
  const NamedParam* n = NameOf(address);
  o["address"] = address;
  o["name"] = n ? Q(n->zh) : QJsonValue();
  o["name_en"] = n ? Q(n->en) : QJsonValue();
  o["kind"] = Q(KindCaption(address / 256));
  o["kind_en"] = Q(KindCaptionEn(address / 256));
  o["unit"] = Q(UnitOf(address));
  if (r.Kind == kEqBand) {
    QJsonObject band;
    for (const BandFieldRange& f : BandFieldRanges()) band[f.name] = static_cast<qint64>(BandField(r, f.name));
    o["value"] = QJsonValue();
    o["band"] = band;
    o["text"] = Q(BandText(r.Gain, r.Freq, r.Q));
    for (const BandFieldRange& f : BandFieldRanges())
      if (std::string(f.name) == "gain") {
        o["min"] = static_cast<qint64>(f.lo);
        o["max"] = static_cast<qint64>(f.hi);
      }
    o["mute_offset"] = 0;
    return o;
  }
  const ParamRange range = RemoteRangeOf(address, store);
  o["value"] = static_cast<qint64>(r.Value);
  o["text"] = Q(ParamValueText(address, r.Value));
  o["min"] = static_cast<qint64>(range.low);
  o["max"] = static_cast<qint64>(range.high);
  o["mute_offset"] = range.muteInValue ? kMuteInValue : 0;
  return o;
}

std::string ValueText(const ParamRecord& r) {
  if (r.Kind != kEqBand) return std::to_string(r.Value);
  std::string s;
  for (const BandFieldRange& f : BandFieldRanges())
    s += (s.empty() ? "" : ",") + std::string(f.name) + "=" + std::to_string(BandField(r, f.name));
  return s;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < path.size()) {
    const size_t j = path.find('/', i);
    const std::string part = path.substr(i, j == std::string::npos ? std::string::npos : j - i);
    if (!part.empty()) parts.push_back(part);
    if (j == std::string::npos) break;
    i = j + 1;
  }
  return parts;
}

}  // namespace

RemoteApi::RemoteApi(OwnerBackend& backend, const Store& store, RemoteAuth& auth,
                     std::function<StaffList()> staff)
    : backend_(backend), store_(store), auth_(auth), staff_(std::move(staff)) {}

std::string RemoteApi::By(RemoteRole role, const std::string& client) {
  return std::string("remote ") + RoleName(role) + " " + client;
}

RemoteRole RemoteApi::Authorize(const RemoteRequest& request) {
  std::string token;
  if (const auto h = request.headers.find("authorization"); h != request.headers.end()) {
    const std::string prefix = "Bearer ";
    if (h->second.compare(0, prefix.size(), prefix) == 0) token = h->second.substr(prefix.size());
  } else if (const auto q = request.query.find("token"); q != request.query.end() && request.path == kEventsPath) {
    // Only the WebSocket, whose headers a browser cannot set: a token in a page's address
    // ends up in logs and histories.
    token = q->second;
  }
  return token.empty() ? RemoteRole::None : auth_.Use(token);
}

RemoteReply RemoteApi::Handle(const RemoteRequest& request) {
  if (request.body.size() > kMaxBody) return Error(413, "the request body is larger than 64 KiB");
  const std::vector<std::string> parts = SplitPath(request.path);
  const std::string& m = request.method;

  // The page itself needs no token: it asks for the PIN.
  if (m == "GET" && (parts.empty() || (parts.size() == 1 && (parts[0] == "index.html" || parts[0] == "app.js" ||
                                                               parts[0] == "style.css")))) {
    const std::string name = parts.empty() ? "index.html" : parts[0];
    RemoteReply r;
    if (!loadAsset || !loadAsset(name, r.body)) return Error(404, "no such file");
    r.contentType = name == "app.js"      ? "text/javascript; charset=utf-8"
                    : name == "style.css" ? "text/css; charset=utf-8"
                                          : "text/html; charset=utf-8";
    return r;
  }
  if (parts.size() < 2 || parts[0] != "api" || parts[1] != "v1") return Error(404, "no such resource");
  if (parts.size() == 3 && parts[2] == "session" && m == "POST") return Session(request);

  const RemoteRole role = Authorize(request);
  if (role == RemoteRole::None) {
    RemoteReply r = Error(401, "a valid token is needed (POST /api/v1/session)");
    r.headers.emplace_back("WWW-Authenticate", "Bearer");
    return r;
  }
  if (parts.size() == 3 && parts[2] == "session" && m == "DELETE") {
    const auto h = request.headers.find("authorization");
    if (h != request.headers.end() && h->second.size() > 7) auth_.Revoke(h->second.substr(7));
    return Reply(200, QJsonObject{});
  }
  if (parts.size() == 3 && parts[2] == "device" && m == "GET") return Device(role);
  if (parts.size() == 3 && parts[2] == "modes" && m == "GET") return Modes(role);
  if (parts.size() == 5 && parts[2] == "modes" && parts[4] == "load" && m == "POST")
    return LoadMode(role, parts[3], request.client);
  if (parts.size() == 3 && parts[2] == "params" && m == "GET") return Params(role);
  if (parts.size() == 3 && parts[2] == "params" && m == "PUT") return PutParams(role, request);
  if (parts.size() == 4 && parts[2] == "params" && m == "GET") return Param(role, parts[3]);
  return Error(parts.size() >= 3 && (parts[2] == "params" || parts[2] == "device" || parts[2] == "modes" ||
                                     parts[2] == "session")
                   ? 405
                   : 404,
               m + " " + request.path + " is not part of the API");
}

namespace {

RemoteReply TooMany(int64_t waitMs, const std::string& text) {
  const int64_t seconds = (waitMs + 999) / 1000;
  RemoteReply r = Error(429, text + "; try again in " + std::to_string(seconds) + " s");
  r.headers.emplace_back("Retry-After", std::to_string(seconds));
  return r;
}

}  // namespace

RemoteReply RemoteApi::Session(const RemoteRequest& request) {
  const std::string& client = request.client;
  // A page of another site can send a simple form POST without asking first; JSON it cannot
  // send without the browser asking this server, which does not agree. So only JSON signs in.
  const auto type = request.headers.find("content-type");
  const std::string mediaType = type == request.headers.end() ? std::string() : type->second.substr(0, type->second.find(';'));
  if (QString::fromStdString(mediaType).trimmed().compare("application/json", Qt::CaseInsensitive) != 0)
    return Error(415, "sign in with Content-Type: application/json");
  if (const int64_t wait = auth_.LockedFor(client); wait > 0) return TooMany(wait, "too many wrong attempts");
  QJsonParseError parseError{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(request.body), &parseError);
  if (!doc.isObject()) return Error(400, "the body must be a JSON object with \"pin\", \"password\" or \"pair\"");
  const QJsonObject in = doc.object();
  if ((in.value("pin").isString() || in.value("password").isString()) && auth_.ServerLockedFor() > 0)
    return TooMany(auth_.ServerLockedFor(),
                   "too many wrong attempts at this server: the PIN was replaced (the amplifier's console shows "
                   "the new one)");
  RemoteRole role = RemoteRole::None;
  std::string what = "PIN";
  if (in.value("pin").isString()) {
    if (auth_.PinMatches(in.value("pin").toString().toStdString())) role = RemoteRole::Staff;
  } else if (in.value("pair").isString()) {
    what = "pairing code";
    if (auth_.TakePairingCode(in.value("pair").toString().toStdString())) role = RemoteRole::Staff;
  } else if (in.value("password").isString()) {
    what = "installer password";
    const std::string digits = in.value("password").toString().toStdString();
    const bool wellFormed = digits.size() == 6 &&
                            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (wellFormed) {
      bool accepted = false;
      std::string error;
      if (!backend_.CheckInstallerPassword(digits, accepted, error))
        return Error(503, "the installer password is checked by the amplifier: " + error);
      if (accepted) role = RemoteRole::Installer;
    }
  } else {
    return Error(400, "give \"pin\", \"password\" or \"pair\" as a string");
  }
  if (role == RemoteRole::None) {
    const bool replaced = auth_.Failed(client);
    if (log) {
      const std::string when = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
      log(when + " " + client + " wrong " + what + (auth_.LockedFor(client) > 0 ? " (this address is locked out for 60 s)" : ""));
      if (replaced)
        log(when + " the PIN was replaced after " + std::to_string(RemoteAuth::kMaxServerFailures) +
            " wrong secrets; sign-in by PIN or password is closed for 60 s");
    }
    return Error(401, "wrong PIN, password or pairing code");
  }
  auth_.Succeeded(client);
  QJsonObject o;
  o["token"] = Q(auth_.Issue(role));
  o["role"] = RoleName(role);
  o["expires_in"] = static_cast<qint64>(RemoteAuth::kIdleMs / 1000);
  return Reply(200, o);
}

RemoteReply RemoteApi::Device(RemoteRole role) {
  const OwnerFacts f = backend_.Facts();
  if (modeNames_.empty() && f.online) {
    // Asked once; a recall or GET /api/v1/modes reads them again.
    std::string ignored;
    backend_.ModeNames(modeNames_, ignored);
  }
  QJsonObject o;
  o["name"] = Q(f.device);
  o["identifier"] = Q(f.identifier);
  o["online"] = f.online;
  o["mode"] = f.mode >= 0 ? QJsonValue(f.mode + 1) : QJsonValue();
  o["mode_name"] = f.mode >= 0 && static_cast<size_t>(f.mode) < modeNames_.size()
                       ? QJsonValue(Q(modeNames_[static_cast<size_t>(f.mode)]))
                       : QJsonValue();
  o["sound_mode"] = f.soundMode;
  o["role"] = RoleName(role);
  o["can_load_modes"] = MayLoadModes(role, staff_());
  return Reply(200, o);
}

RemoteReply RemoteApi::Modes(RemoteRole role) {
  if (!MayLoadModes(role, staff_())) return Error(403, "this role may not recall modes");
  std::vector<std::string> names;
  std::string error;
  if (!backend_.ModeNames(names, error)) return Error(503, error);
  modeNames_ = names;
  const OwnerFacts f = backend_.Facts();
  QJsonArray modes;
  for (size_t i = 0; i < names.size(); ++i) {
    QJsonObject m;
    m["number"] = static_cast<int>(i + 1);
    m["name"] = Q(names[i]);
    modes.append(m);
  }
  QJsonObject o;
  o["mode"] = f.mode >= 0 ? QJsonValue(f.mode + 1) : QJsonValue();
  o["modes"] = modes;
  return Reply(200, o);
}

RemoteReply RemoteApi::LoadMode(RemoteRole role, const std::string& number, const std::string& client) {
  if (!MayLoadModes(role, staff_())) return Error(403, "this role may not recall modes");
  int n = 0;
  if (number.empty() || number.size() > 2 || !std::all_of(number.begin(), number.end(), ::isdigit) ||
      (n = std::stoi(number)) < 1 || n > 10)
    return Error(400, "mode " + number + " does not exist (1..10)");
  const int before = backend_.Facts().mode;
  std::string error;
  if (!backend_.LoadMode(n - 1, By(role, client), error)) return Error(503, error);
  if (log)
    log(QDateTime::currentDateTime().toString(Qt::ISODate).toStdString() + " " + client + " " + RoleWord(role) +
        " " +
        Tr("模式 %1 -> %2").arg(before >= 0 ? QString::number(before + 1) : QStringLiteral("?")).arg(n).toStdString());
  QJsonObject o;
  o["mode"] = n;
  return Reply(200, o);
}

RemoteReply RemoteApi::Params(RemoteRole role) {
  const std::vector<int> visible = VisibleAddresses(role, staff_());
  std::vector<ParamRecord> records;
  std::string error;
  if (!visible.empty() && !backend_.Get(visible, -1, records, error)) return Error(503, error);
  QJsonArray a;
  for (size_t i = 0; i < visible.size() && i < records.size(); ++i) a.append(ParamObject(visible[i], records[i], store_));
  QJsonObject o;
  o["params"] = a;
  return Reply(200, o);
}

RemoteReply RemoteApi::Param(RemoteRole role, const std::string& key) {
  int address = 0;
  std::string error;
  const std::vector<int> visible = VisibleAddresses(role, staff_());
  if (!ResolveRemoteKey(key, visible, address, error)) return Error(404, error);
  if (!MaySee(role, staff_(), address)) return Error(403, "address " + std::to_string(address) + " is not on this role's list");
  std::vector<ParamRecord> records;
  if (!backend_.Get({address}, -1, records, error) || records.empty()) return Error(503, error);
  return Reply(200, ParamObject(address, records.front(), store_));
}

RemoteReply RemoteApi::PutParams(RemoteRole role, const RemoteRequest& request) {
  QJsonParseError parseError{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(request.body), &parseError);
  if (!doc.isObject()) return Error(400, "the body must be a JSON object of parameters and values");
  const QJsonObject in = doc.object();
  if (in.isEmpty()) return Error(400, "no parameter given");
  const StaffList staff = staff_();
  const std::vector<int> visible = VisibleAddresses(role, staff);
  std::vector<OwnerChange> changes;
  std::string error;
  // Every entry is checked before anything is applied: one refusal refuses the whole request.
  for (auto it = in.begin(); it != in.end(); ++it) {
    const std::string key = it.key().toStdString();
    int address = 0;
    if (!ResolveRemoteKey(key, visible, address, error)) return Error(400, error);
    if (!MaySee(role, staff, address))
      return Error(403, QualifiedName(address) + " (" + std::to_string(address) + ") is not on this role's list");
    for (const OwnerChange& c : changes)
      if (c.address == address) return Error(400, "address " + std::to_string(address) + " is given twice");
    OwnerChange c;
    c.address = address;
    if (it.value().isObject()) {
      c.band = true;
      const QJsonObject fields = it.value().toObject();
      for (auto f = fields.begin(); f != fields.end(); ++f) {
        long v = 0;
        if (!WholeNumber(f.value(), v))
          return Error(400, key + ": " + f.key().toStdString() + " is not a whole number");
        c.fields.emplace_back(f.key().toStdString(), v);
      }
    } else {
      long v = 0;
      if (!WholeNumber(it.value(), v)) return Error(400, key + ": the value is not a whole number");
      if (!IsBandAddress(address)) {
        // A master volume's limit is checked below, against the limit this request leaves.
        const ParamRange range = RangeOf(address);
        if (!range.Contains(v))
          return Error(400, "value " + std::to_string(v) + " outside the range of " + QualifiedName(address) + " (" +
                                std::to_string(address) + "): " + range.Text());
      }
      c.value = static_cast<int32_t>(v);
    }
    changes.push_back(std::move(c));
  }
  if (!OwnerService::CheckChanges(changes, error)) return Error(400, error);
  std::vector<std::pair<int, long long>> values;
  for (const OwnerChange& c : changes)
    if (!c.band) values.emplace_back(c.address, c.value);
  if (!CheckMasterLimits(values, MasterLimitsOf(store_), error)) return Error(400, error);

  std::vector<int> addresses;
  for (const OwnerChange& c : changes) addresses.push_back(c.address);
  std::vector<ParamRecord> before;
  if (!backend_.Get(addresses, -1, before, error)) return Error(503, error);
  size_t acknowledged = 0;
  const bool ok = backend_.Set(changes, -1, By(role, request.client), acknowledged, error);
  std::vector<ParamRecord> after;
  std::string ignored;
  backend_.Get(addresses, -1, after, ignored);
  if (log && after.size() == addresses.size()) {
    const std::string when = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
    for (size_t i = 0; i < addresses.size(); ++i)
      log(when + " " + request.client + " " + RoleWord(role) + " " + std::to_string(addresses[i]) + " " +
          LoggedName(addresses[i]) + " " + ValueText(before[i]) + " -> " + ValueText(after[i]) +
          (i < acknowledged ? "" : " " + Tr("（未确认）").toStdString()));
  }
  if (!ok) {
    QJsonObject o;
    o["error"] = Q(error);
    o["acknowledged"] = static_cast<int>(acknowledged);
    o["of"] = static_cast<int>(changes.size());
    return Reply(503, o);
  }
  QJsonArray a;
  for (size_t i = 0; i < addresses.size() && i < after.size(); ++i) a.append(ParamObject(addresses[i], after[i], store_));
  QJsonObject o;
  o["params"] = a;
  return Reply(200, o);
}

std::string RemoteApi::HelloMessage() {
  const OwnerFacts f = backend_.Facts();
  QJsonObject o;
  o["type"] = "hello";
  o["online"] = f.online;
  o["mode"] = f.mode >= 0 ? QJsonValue(f.mode + 1) : QJsonValue();
  o["sound_mode"] = f.soundMode;
  return Json(o);
}

std::vector<std::string> RemoteApi::EventMessages(const OwnerEvent& event, RemoteRole role) {
  std::vector<std::string> out;
  if (event.kind == OwnerEvent::Kind::Link || event.kind == OwnerEvent::Kind::Mode) {
    QJsonObject o;
    o["type"] = event.kind == OwnerEvent::Kind::Link ? "link" : "mode";
    if (event.kind == OwnerEvent::Kind::Link) o["online"] = event.online;
    o["mode"] = event.mode >= 0 ? QJsonValue(event.mode + 1) : QJsonValue();
    out.push_back(Json(o));
    return out;
  }
  const StaffList staff = staff_();
  std::vector<int> seen;
  for (int a : event.addresses)
    if (MaySee(role, staff, a)) seen.push_back(a);
  if (seen.empty()) return out;
  std::vector<ParamRecord> records;
  std::string error;
  if (!backend_.Get(seen, -1, records, error)) return out;
  for (size_t i = 0; i < seen.size() && i < records.size(); ++i) {
    QJsonObject o = ParamObject(seen[i], records[i], store_);
    o["type"] = "change";
    o["by"] = Q(event.by);
    out.push_back(Json(o));
  }
  return out;
}

}  // namespace mirelune
