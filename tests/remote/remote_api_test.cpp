// SPDX-License-Identifier: GPL-3.0-or-later
// The room remote's rules without sockets: sessions and lock-outs in virtual time, what each
// role may see and change, batches checked whole, the master volumes' limits, events per role.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "model/store.h"
#include "owner/owner_changes.h"
#include "remote/qr_code.h"
#include "remote/remote_api.h"
#include "remote/remote_server.h"

namespace mirelune {
namespace {

constexpr char kInstallerPassword[] = "246810";

// An owner over a store that acknowledges everything, as a well-behaved amplifier does.
class StoreBackend : public OwnerBackend {
 public:
  StoreBackend() { store.InitDefaults(); }
  OwnerFacts Facts() override {
    OwnerFacts f;
    f.program = "test";
    f.device = "virtual:t";
    f.identifier = "_LM-R52Z";
    f.online = online;
    f.mode = online ? mode : -1;
    return f;
  }
  bool Ready() override { return true; }
  bool Get(const std::vector<int>& addresses, int, std::vector<ParamRecord>& out, std::string& error) override {
    if (!online) {
      error = "the amplifier is not connected";
      return false;
    }
    for (int a : addresses) out.push_back(store.ParamTable.at(store.SlotFor(a), a));
    return true;
  }
  bool Set(const std::vector<OwnerChange>& changes, int, const std::string& by, size_t& acknowledged,
           std::string&) override {
    ++sets;
    ApplyOwnerChanges(store, changes);
    acknowledged = changes.size();
    OwnerEvent e;
    for (const OwnerChange& c : changes) e.addresses.push_back(c.address);
    e.by = by;
    events.Publish(e);
    return true;
  }
  bool ModeNames(std::vector<std::string>& names, std::string&) override {
    names.assign(10, "Mode");
    return true;
  }
  bool LoadMode(int m, const std::string&, std::string&) override {
    mode = m;
    return true;
  }
  bool CheckInstallerPassword(const std::string& digits, bool& accepted, std::string& error) override {
    if (!online) {
      error = "the amplifier is not connected";
      return false;
    }
    accepted = digits == kInstallerPassword;
    return true;
  }
  Store store;
  bool online = true;
  int mode = 0;
  int sets = 0;
};

class RemoteApiTest : public ::testing::Test {
 protected:
  RemoteApiTest()
      : auth([this] { return now; }), api(backend, backend.store, auth, [this] { return staff; }) {}

  RemoteReply Call(const std::string& method, const std::string& path, const std::string& body = "",
                   const std::string& token = "", const std::string& client = "10.0.0.5") {
    RemoteRequest r;
    r.method = method;
    r.path = path;
    r.body = body;
    r.client = client;
    if (!body.empty()) r.headers["content-type"] = "application/json";
    if (!token.empty()) r.headers["authorization"] = "Bearer " + token;
    return api.Handle(r);
  }
  std::string SignIn(const std::string& body) {
    const RemoteReply r = Call("POST", "/api/v1/session", body);
    EXPECT_EQ(r.status, 200) << r.body;
    return Json(r).value("token").toString().toStdString();
  }
  std::string Staff() { return SignIn("{\"pin\": \"" + auth.Pin() + "\"}"); }
  std::string Installer() { return SignIn(std::string("{\"password\": \"") + kInstallerPassword + "\"}"); }
  static QJsonObject Json(const RemoteReply& r) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.body)).object();
  }
  int32_t Value(int address) { return backend.store.ParamTable.at(backend.store.SlotFor(address), address).Value; }

  int64_t now = 1000;
  StoreBackend backend;
  RemoteAuth auth;
  StaffList staff = DefaultStaffList();
  RemoteApi api;
};

TEST_F(RemoteApiTest, EveryEndpointRefusesARequestWithoutAValidToken) {
  const std::string staffToken = Staff();
  for (const auto& [method, path] : std::vector<std::pair<std::string, std::string>>{
           {"GET", "/api/v1/device"}, {"GET", "/api/v1/params"}, {"GET", "/api/v1/params/2560"},
           {"PUT", "/api/v1/params"}, {"GET", "/api/v1/modes"}, {"POST", "/api/v1/modes/2/load"},
           {"DELETE", "/api/v1/session"}}) {
    EXPECT_EQ(Call(method, path, "{\"2560\": 10}").status, 401) << method << " " << path;
    EXPECT_EQ(Call(method, path, "{\"2560\": 10}", "0123456789abcdef0123456789abcdef").status, 401) << path;
  }
  EXPECT_EQ(backend.sets, 0);
  EXPECT_EQ(backend.mode, 0);
  // The page itself is public: it asks for the PIN.
  api.loadAsset = [](const std::string& name, std::string& bytes) {
    bytes = "<!-- " + name + " -->";
    return true;
  };
  EXPECT_EQ(Call("GET", "/").status, 200);
  EXPECT_EQ(Call("GET", "/").body, "<!-- index.html -->");
  EXPECT_EQ(Call("GET", "/../../etc/passwd").status, 404);
  EXPECT_EQ(Call("GET", "/api/v1/device", "", staffToken).status, 200);
}

TEST_F(RemoteApiTest, SignInWithPinPairingCodeAndInstallerPassword) {
  struct Case {
    std::string body;
    int status;
    std::string role;
  };
  const std::string pair = auth.PairingCode();
  for (const Case& c : std::vector<Case>{
           {"{\"pin\": \"" + auth.Pin() + "\"}", 200, "staff"},
           {std::string("{\"password\": \"") + kInstallerPassword + "\"}", 200, "installer"},
           {"{\"pair\": \"" + pair + "\"}", 200, "staff"},
           {"{\"pair\": \"" + pair + "\"}", 401, ""},  // one use only
           {"{\"pin\": 123456}", 400, ""},
           {"not json", 400, ""},
           {"{\"password\": \"12345x\"}", 401, ""},
       }) {
    const RemoteReply r = Call("POST", "/api/v1/session", c.body, "", "10.0.0." + std::to_string(c.status));
    EXPECT_EQ(r.status, c.status) << c.body << " -> " << r.body;
    if (c.status == 200) {
      EXPECT_EQ(Json(r).value("role").toString().toStdString(), c.role);
      EXPECT_EQ(Json(r).value("token").toString().size(), 32);
    }
  }
  backend.online = false;
  EXPECT_EQ(Call("POST", "/api/v1/session", std::string("{\"password\": \"") + kInstallerPassword + "\"}").status, 503);
}

TEST_F(RemoteApiTest, FiveWrongSecretsLockTheClientOutForAMinuteEvenForTheRightPin) {
  const std::string wrong = std::string("{\"pin\": \"") + (auth.Pin() == "000000" ? "111111" : "000000") + "\"}";
  const std::string right = "{\"pin\": \"" + auth.Pin() + "\"}";
  for (int i = 0; i < RemoteAuth::kMaxFailures; ++i) EXPECT_EQ(Call("POST", "/api/v1/session", wrong).status, 401);
  RemoteReply r = Call("POST", "/api/v1/session", right);
  EXPECT_EQ(r.status, 429);
  ASSERT_EQ(r.headers.size(), 1u);
  EXPECT_EQ(r.headers[0].first, "Retry-After");
  EXPECT_EQ(r.headers[0].second, "60");
  // Another client is not locked out by this one.
  EXPECT_EQ(Call("POST", "/api/v1/session", right, "", "10.0.0.6").status, 200);
  now += RemoteAuth::kLockoutMs - 1;
  EXPECT_EQ(Call("POST", "/api/v1/session", right).status, 429);
  now += 1;
  EXPECT_EQ(Call("POST", "/api/v1/session", right).status, 200);
  // A wrong installer password counts as well.
  for (int i = 0; i < RemoteAuth::kMaxFailures; ++i)
    EXPECT_EQ(Call("POST", "/api/v1/session", "{\"password\": \"000001\"}", "", "10.0.0.7").status, 401);
  EXPECT_EQ(Call("POST", "/api/v1/session", right, "", "10.0.0.7").status, 429);
}

// Guesses from ever new addresses: the server's own count replaces the PIN and closes the PIN
// and the password to everyone for a minute; the pairing code still signs in meanwhile; every
// wrong secret is logged with its address.
TEST_F(RemoteApiTest, WrongSecretsFromManyAddressesReplaceThePinForEveryone) {
  std::vector<std::string> lines;
  api.log = [&lines](const std::string& line) { lines.push_back(line); };
  int replaced = 0;
  auth.onPinReplaced = [&replaced] { ++replaced; };
  const std::string old = auth.Pin();
  const std::string wrong = std::string("{\"pin\": \"") + (old == "000000" ? "111111" : "000000") + "\"}";
  for (int i = 0; i < RemoteAuth::kMaxServerFailures; ++i) {
    EXPECT_EQ(Call("POST", "/api/v1/session", wrong, "", "10.1.0." + std::to_string(i)).status, 401);
    EXPECT_EQ(replaced, i + 1 == RemoteAuth::kMaxServerFailures ? 1 : 0) << "after " << i + 1;
  }
  ASSERT_EQ(lines.size(), static_cast<size_t>(RemoteAuth::kMaxServerFailures) + 1);
  EXPECT_NE(lines[3].find("10.1.0.3 wrong PIN"), std::string::npos) << lines[3];
  EXPECT_NE(lines.back().find("the PIN was replaced"), std::string::npos) << lines.back();
  const std::string fresh = auth.Pin();
  // The old PIN is dead, and nobody tries a PIN or the password for a minute - from anywhere.
  RemoteReply r = Call("POST", "/api/v1/session", "{\"pin\": \"" + old + "\"}", "", "10.2.0.1");
  EXPECT_EQ(r.status, 429) << r.body;
  EXPECT_EQ(Call("POST", "/api/v1/session", "{\"pin\": \"" + fresh + "\"}", "", "10.2.0.2").status, 429);
  EXPECT_EQ(Call("POST", "/api/v1/session", std::string("{\"password\": \"") + kInstallerPassword + "\"}", "",
                 "10.2.0.3").status,
            429);
  EXPECT_EQ(Call("POST", "/api/v1/session", "{\"pair\": \"" + auth.PairingCode() + "\"}", "", "10.2.0.4").status, 200);
  now += RemoteAuth::kLockoutMs;
  if (fresh != old) EXPECT_EQ(Call("POST", "/api/v1/session", "{\"pin\": \"" + old + "\"}", "", "10.2.0.5").status, 401);
  EXPECT_EQ(Call("POST", "/api/v1/session", "{\"pin\": \"" + fresh + "\"}", "", "10.2.0.6").status, 200);
}

// A page of another site can POST a form without asking this server first, but not JSON.
TEST_F(RemoteApiTest, SignInTakesJsonOnlyAndTokensInTheAddressOnlyForTheWebSocket) {
  const std::string body = "{\"pin\": \"" + auth.Pin() + "\"}";
  for (const auto& [type, status] : std::vector<std::pair<std::string, int>>{
           {"", 415}, {"text/plain", 415}, {"application/x-www-form-urlencoded", 415},
           {"application/json; charset=utf-8", 200}, {"Application/JSON", 200}}) {
    RemoteRequest r;
    r.method = "POST";
    r.path = "/api/v1/session";
    r.body = body;
    r.client = "10.3.0.1";
    if (!type.empty()) r.headers["content-type"] = type;
    EXPECT_EQ(api.Handle(r).status, status) << "'" << type << "'";
  }
  EXPECT_EQ(auth.LockedFor("10.3.0.1"), 0) << "a refused media type is no guess";
  const std::string token = Staff();
  RemoteRequest r;
  r.method = "GET";
  r.path = "/api/v1/device";
  r.query["token"] = token;
  EXPECT_EQ(api.Handle(r).status, 401);
  EXPECT_EQ(api.Authorize(r), RemoteRole::None);
  r.path = kEventsPath;
  EXPECT_EQ(api.Authorize(r), RemoteRole::Staff);
}

TEST_F(RemoteApiTest, TokensExpireAfterTwelveHoursIdleAndDieWhenSignedOut) {
  const std::string token = Staff();
  now += RemoteAuth::kIdleMs - 1;
  EXPECT_EQ(Call("GET", "/api/v1/device", "", token).status, 200);  // renews it
  now += RemoteAuth::kIdleMs - 1;
  EXPECT_EQ(Call("GET", "/api/v1/device", "", token).status, 200);
  now += RemoteAuth::kIdleMs;
  EXPECT_EQ(Call("GET", "/api/v1/device", "", token).status, 401);
  const std::string other = Staff();
  EXPECT_EQ(Call("DELETE", "/api/v1/session", "", other).status, 200);
  EXPECT_EQ(Call("GET", "/api/v1/device", "", other).status, 401);
}

TEST_F(RemoteApiTest, StaffSeeAndChangeOnlyTheirListTheInstallerEverything) {
  const std::string s = Staff(), i = Installer();
  const QJsonArray staffParams = Json(Call("GET", "/api/v1/params", "", s)).value("params").toArray();
  std::vector<int> seen;
  for (const QJsonValue& v : staffParams) seen.push_back(v.toObject().value("address").toInt());
  EXPECT_EQ(seen, staff.addresses);
  // The installer sees every parameter `mirelune-cli set` takes.
  int settable = 0;
  for (int a = 0; a < kAddressCount; ++a) settable += HoldsParam(a) ? 1 : 0;
  EXPECT_EQ(Json(Call("GET", "/api/v1/params", "", i)).value("params").toArray().size(), settable);

  EXPECT_EQ(Call("GET", "/api/v1/params/0", "", s).status, 403);  // an EQ band
  EXPECT_EQ(Call("PUT", "/api/v1/params", "{\"0\": {\"gain\": 300}}", s).status, 403);
  EXPECT_EQ(backend.sets, 0);
  const RemoteReply band = Call("PUT", "/api/v1/params", "{\"0\": {\"gain\": 300}}", i);
  EXPECT_EQ(band.status, 200) << band.body;
  EXPECT_EQ(backend.store.ParamTable.at(0, 0).Gain, 300);

  const QJsonObject master = Json(Call("GET", "/api/v1/params/2560", "", s));
  EXPECT_EQ(master.value("name").toString(), QString("音乐总音量"));
  EXPECT_EQ(master.value("name_en").toString(), QString("Music master volume"));
  EXPECT_EQ(master.value("min").toInt(), 0);
  EXPECT_EQ(master.value("max").toInt(), 80);
  EXPECT_EQ(Call("GET", "/api/v1/params/Music%20master", "", s).status, 404);

  staff.modes = false;
  EXPECT_EQ(Call("POST", "/api/v1/modes/3/load", "", s).status, 403);
  EXPECT_EQ(Call("GET", "/api/v1/modes", "", s).status, 403);
  EXPECT_FALSE(Json(Call("GET", "/api/v1/device", "", s)).value("can_load_modes").toBool());
  EXPECT_EQ(Call("POST", "/api/v1/modes/3/load", "", i).status, 200);
  EXPECT_EQ(backend.mode, 2);
  for (const char* bad : {"0", "11", "x", "-1"})
    EXPECT_EQ(Call("POST", std::string("/api/v1/modes/") + bad + "/load", "", i).status, 400) << bad;
}

TEST_F(RemoteApiTest, ABatchIsCheckedWholeAndNothingIsAppliedWhenOneEntryIsRefused) {
  const std::string s = Staff();
  const int32_t music = Value(2560), mic = Value(2561);
  struct Case {
    std::string body;
    int status;
  };
  for (const Case& c : std::vector<Case>{
           {"{\"2560\": 25, \"2561\": 81}", 400},            // out of range
           {"{\"2560\": 25, \"2561\": 2.5}", 400},           // not a whole number
           {"{\"2560\": 25, \"1028\": 10}", 403},            // not on the staff list
           {"{\"2560\": 25, \"话筒音量\": 90}", 400},          // two microphone volumes on the list
           {"{\"2560\": 25, \"no such name\": 1}", 400},
           {"{\"2560\": 25, \"10:音乐总音量\": 30}", 400},      // the same parameter twice
           {"{}", 400},
           {"[1, 2]", 400},
       }) {
    const RemoteReply r = Call("PUT", "/api/v1/params", c.body, s);
    EXPECT_EQ(r.status, c.status) << c.body << " -> " << r.body;
    EXPECT_EQ(Value(2560), music) << c.body;
    EXPECT_EQ(Value(2561), mic) << c.body;
  }
  EXPECT_EQ(backend.sets, 0);
  const RemoteReply ok = Call("PUT", "/api/v1/params", "{\"2560\": 25, \"Microphone master volume\": 60, \"1:话筒音量\": 270}", s);
  ASSERT_EQ(ok.status, 200) << ok.body;
  EXPECT_EQ(backend.sets, 1);  // one change: one undo step at the owner
  EXPECT_EQ(Value(2560), 25);
  EXPECT_EQ(Value(2561), 60);
  EXPECT_EQ(Value(276), 270);  // 20 %, muted
  EXPECT_EQ(Json(ok).value("params").toArray().size(), 3);
}

// A batch that sets a limit and its volume: the volume is checked against the limit the batch
// leaves, for each of the three master volumes; a refused batch changes neither.
TEST_F(RemoteApiTest, AMasterVolumeIsCheckedAgainstTheLimitItsOwnBatchSets) {
  const std::string i = Installer();
  struct Case {
    int volume, limit;
    std::string body;
    int status;
  };
  for (const Case& c : std::vector<Case>{
           {2560, 2568, R"({"2568": 30, "2560": 50})", 400},
           {2561, 2569, R"({"2561": 50, "2569": 30})", 400},
           {2562, 2570, R"({"2570": 30, "2562": 50})", 400},
           {2562, 2570, R"({"2562": 31, "2570": 30})", 400},
           {2562, 2570, R"({"2570": 30, "2562": 30})", 200},
       }) {
    backend.store.ParamTable.at(0, c.limit).Value = 80;
    backend.store.ParamTable.at(0, c.volume).Value = 20;
    const RemoteReply r = Call("PUT", "/api/v1/params", c.body, i);
    EXPECT_EQ(r.status, c.status) << c.body << " -> " << r.body;
    EXPECT_EQ(Value(c.limit), c.status == 200 ? 30 : 80) << c.body;
    EXPECT_EQ(Value(c.volume), c.status == 200 ? 30 : 20) << c.body;
  }
  // A limit raised in the same batch lets the volume above the old one.
  backend.store.ParamTable.at(0, 2570).Value = 30;
  EXPECT_EQ(Call("PUT", "/api/v1/params", R"({"2562": 50, "2570": 60})", i).status, 200);
  EXPECT_EQ(Value(2562), 50);
}

// One bad entry anywhere in a batch - a band field beside a good value - refuses all of it.
TEST_F(RemoteApiTest, AnInstallerBatchWithOneBadBandFieldChangesNothing) {
  const std::string i = Installer();
  const int32_t music = Value(2560);
  const int16_t gain = backend.store.ParamTable.at(0, 0).Gain;
  for (const char* body : {R"({"2560": 25, "0": {"gain": 9999}})", R"({"0": {"gain": 300, "q": 101}, "2560": 25})",
                           R"({"2560": 25, "0": {"colour": 1}})", R"({"2560": 25, "0": {"gain": 1.5}})",
                           R"({"2560": 25, "0": 300})"}) {
    EXPECT_EQ(Call("PUT", "/api/v1/params", body, i).status, 400) << body;
    EXPECT_EQ(Value(2560), music) << body;
    EXPECT_EQ(backend.store.ParamTable.at(0, 0).Gain, gain) << body;
  }
  EXPECT_EQ(backend.sets, 0);
}

TEST_F(RemoteApiTest, AMasterVolumeStopsAtItsUpperLimit) {
  const std::string s = Staff();
  backend.store.ParamTable.at(0, 2568).Value = 40;  // music volume limit
  EXPECT_EQ(Json(Call("GET", "/api/v1/params/2560", "", s)).value("max").toInt(), 40);
  EXPECT_EQ(Call("PUT", "/api/v1/params", "{\"2560\": 41}", s).status, 400);
  EXPECT_EQ(Call("PUT", "/api/v1/params", "{\"2560\": 40}", s).status, 200);
  EXPECT_EQ(Value(2560), 40);
  backend.store.ParamTable.at(0, 2569).Value = 500;  // a limit beyond the slider: the slider's end
  EXPECT_EQ(Json(Call("GET", "/api/v1/params/2561", "", s)).value("max").toInt(), 80);
}

TEST_F(RemoteApiTest, BodiesOverSixtyFourKibAreRefusedUnread) {
  const std::string s = Staff();
  std::string big = "{\"2560\": 25, \"x\": \"" + std::string(RemoteApi::kMaxBody, 'a') + "\"}";
  EXPECT_EQ(Call("PUT", "/api/v1/params", big, s).status, 413);
  EXPECT_EQ(Call("POST", "/api/v1/session", big).status, 413);
  EXPECT_EQ(backend.sets, 0);
  // The limit itself is taken, one byte more is not.
  const std::string head = "{\"2560\": 25}";
  const std::string exact = head + std::string(RemoteApi::kMaxBody - head.size(), ' ');
  const RemoteReply r = Call("PUT", "/api/v1/params", exact, s);
  EXPECT_EQ(r.status, 200) << r.body;
  EXPECT_EQ(Call("PUT", "/api/v1/params", exact + " ", s).status, 413);
}

TEST_F(RemoteApiTest, EventsCarryValuesOnlyToRolesThatMaySeeThem) {
  OwnerEvent e;
  e.addresses = {2560, 0};
  e.by = "mirelune-cli set";
  backend.store.ParamTable.at(0, 2560).Value = 33;
  const auto staffMessages = api.EventMessages(e, RemoteRole::Staff);
  ASSERT_EQ(staffMessages.size(), 1u);
  const QJsonObject m = QJsonDocument::fromJson(QByteArray::fromStdString(staffMessages[0])).object();
  EXPECT_EQ(m.value("type").toString(), QString("change"));
  EXPECT_EQ(m.value("address").toInt(), 2560);
  EXPECT_EQ(m.value("value").toInt(), 33);
  EXPECT_EQ(m.value("by").toString(), QString("mirelune-cli set"));
  EXPECT_EQ(api.EventMessages(e, RemoteRole::Installer).size(), 2u);
  OwnerEvent link;
  link.kind = OwnerEvent::Kind::Link;
  link.online = false;
  const auto l = api.EventMessages(link, RemoteRole::Staff);
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0], "{\"mode\":null,\"online\":false,\"type\":\"link\"}");
}

TEST(RemoteSettings, StaffListsAndListenAddressesParse) {
  StaffList l;
  std::string error;
  ASSERT_TRUE(ParseStaffList(FormatStaffList(DefaultStaffList()), l, error)) << error;
  EXPECT_EQ(l.addresses, DefaultStaffList().addresses);
  EXPECT_TRUE(l.modes);
  ASSERT_TRUE(ParseStaffList(" 2561, 2560 ,2560", l, error));
  EXPECT_EQ(l.addresses, (std::vector<int>{2560, 2561}));
  EXPECT_FALSE(l.modes);
  for (const char* bad : {"2560,20", "2560,x", "-1", "99999999999"}) {
    StaffList kept = l;
    EXPECT_FALSE(ParseStaffList(bad, kept, error)) << bad;
    EXPECT_EQ(kept.addresses, l.addresses);
  }

  struct Case {
    const char* text;
    bool ok;
    const char* host;
    int port;
  };
  for (const Case& c : {Case{"0.0.0.0:9000", true, "0.0.0.0", 9000}, Case{":0", true, "127.0.0.1", 0},
                        Case{"192.168.1.20", true, "192.168.1.20", 8808}, Case{"[::1]:81", true, "::1", 81},
                        Case{"localhost:8808", true, "localhost", 8808}, Case{"host.example:80", false, "", 0},
                        Case{"127.0.0.1:70000", false, "", 0}, Case{"127.0.0.1:x", false, "", 0}}) {
    RemoteListen listen;
    EXPECT_EQ(ParseListen(c.text, listen, error), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(listen.host, c.host) << c.text;
    EXPECT_EQ(listen.port, c.port) << c.text;
  }
  EXPECT_TRUE(IsLoopbackHost("127.0.0.1"));
  EXPECT_TRUE(IsLoopbackHost("::1"));
  EXPECT_FALSE(IsLoopbackHost("0.0.0.0"));
  EXPECT_FALSE(IsLoopbackHost("192.168.1.20"));
}

TEST(RemoteQr, ThePairingLinkBecomesACodeWithItsThreeFinderPatterns) {
  QrCode code;
  std::string error;
  ASSERT_TRUE(MakeQrCode("http://192.168.1.20:8808/#pair=0123456789abcdef0123456789abcdef", code, error)) << error;
  ASSERT_GE(code.size, 21);
  ASSERT_EQ((code.size - 17) % 4, 0);  // a QR version's side
  // Each finder: a dark 7x7 ring, a light ring inside, a dark 3x3 centre.
  for (auto [ox, oy] : {std::pair{0, 0}, std::pair{code.size - 7, 0}, std::pair{0, code.size - 7}}) {
    for (int i = 0; i < 7; ++i) {
      EXPECT_TRUE(code.Dark(ox + i, oy) && code.Dark(ox + i, oy + 6) && code.Dark(ox, oy + i) && code.Dark(ox + 6, oy + i));
    }
    EXPECT_FALSE(code.Dark(ox + 1, oy + 1));
    EXPECT_TRUE(code.Dark(ox + 3, oy + 3));
  }
  const std::string text = QrTerminalText(code);
  EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\n')), (code.size + 4 + 1) / 2);
}

}  // namespace
}  // namespace mirelune
