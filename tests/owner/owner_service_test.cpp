// SPDX-License-Identifier: GPL-3.0-or-later
// The owner's request layer: requests checked whole before the backend sees them, replies and
// events as the transports carry them.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "owner/owner_service.h"

namespace mirelune {
namespace {

class FakeBackend : public OwnerBackend {
 public:
  OwnerFacts Facts() override {
    OwnerFacts f;
    f.program = "mirelune";
    f.pid = 7;
    f.device = "virtual:a";
    f.identifier = "_LM-R52Z";
    f.online = true;
    f.mode = 2;
    return f;
  }
  bool Ready() override { return true; }
  bool Get(const std::vector<int>& addresses, int, std::vector<ParamRecord>& out, std::string&) override {
    for (int a : addresses) {
      ParamRecord r;
      if (a < 8 * 256 && a % 256 < 10 && a < 256) {
        r.Kind = kEqBand;
        r.Gain = 300;
      } else {
        r.Value = a == 770 ? 61 : 5;
      }
      out.push_back(r);
    }
    return true;
  }
  bool Set(const std::vector<OwnerChange>& changes, int, const std::string& by, size_t& acknowledged,
           std::string& error) override {
    ++sets;
    last = changes;
    lastBy = by;
    acknowledged = std::min(changes.size(), acknowledgeAtMost);
    if (acknowledged < changes.size()) error = "the amplifier did not acknowledge";
    return acknowledged == changes.size();
  }
  bool ModeNames(std::vector<std::string>& names, std::string&) override {
    names.assign(10, "Mode");
    return true;
  }
  bool LoadMode(int, const std::string&, std::string&) override { return true; }
  bool CheckInstallerPassword(const std::string&, bool& accepted, std::string&) override {
    accepted = false;
    return true;
  }
  int sets = 0;
  std::vector<OwnerChange> last;
  std::string lastBy;
  size_t acknowledgeAtMost = 100;
};

QJsonObject Ask(OwnerService& service, const std::string& request) {
  bool subscribe = false;
  const std::string reply = service.Handle(request, subscribe);
  EXPECT_EQ(reply.find('\n'), std::string::npos) << "one reply is one line";
  return QJsonDocument::fromJson(QByteArray::fromStdString(reply)).object();
}

struct RefusedCase {
  const char* request;
  const char* error;
};

class Refused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, BeforeTheBackendIsAsked) {
  FakeBackend backend;
  OwnerService service(backend);
  const QJsonObject reply = Ask(service, GetParam().request);
  EXPECT_FALSE(reply.value("ok").toBool()) << GetParam().request;
  EXPECT_NE(reply.value("error").toString().toStdString().find(GetParam().error), std::string::npos)
      << GetParam().request << " -> " << reply.value("error").toString().toStdString();
  EXPECT_EQ(backend.sets, 0) << "a refused request changes nothing";
  if (std::string(GetParam().request).find("\"set\"") != std::string::npos)
    EXPECT_TRUE(reply.value("refused").toBool()) << "said to be refused as it stands";
}

INSTANTIATE_TEST_SUITE_P(
    Requests, Refused,
    ::testing::Values(
        RefusedCase{"not json", "not a JSON object"},
        RefusedCase{R"({"op":"format-disk"})", "unknown request 'format-disk'"},
        RefusedCase{R"({"op":"set","changes":[]})", "no change given"},
        // The whole batch is refused when one change is bad, also after good ones.
        RefusedCase{R"({"op":"set","changes":[{"address":1028,"value":70},{"address":1028,"value":99999}]})",
                    "value 99999 outside the range of address 1028"},
        RefusedCase{R"({"op":"set","changes":[{"address":70000,"value":1}]})", "address 70000 holds no parameter"},
        RefusedCase{R"({"op":"set","changes":[{"address":1028,"value":1.5}]})", "not a whole number"},
        RefusedCase{R"({"op":"set","changes":[{"address":0,"value":300}]})", "is an EQ band"},
        RefusedCase{R"({"op":"set","changes":[{"address":1028,"gain":300}]})", "is not an EQ band"},
        RefusedCase{R"({"op":"set","changes":[{"address":0,"gain":401}]})", "gain 401 outside 10..400"},
        RefusedCase{R"({"op":"set","changes":[{"address":0,"shape":200}]})", "shape 200 outside 0..2"},
        RefusedCase{R"({"op":"set","changes":[{"address":0,"colour":1}]})", "bad band field 'colour'"},
        RefusedCase{R"({"op":"set","sound_mode":2,"changes":[{"address":1028,"value":70}]})", "sound_mode must be 0 or 1"},
        // A master volume against the limit the same request leaves (the fake's limits are 5).
        RefusedCase{R"({"op":"set","changes":[{"address":2562,"value":6}]})", "2562 is above its upper limit: 0..5"},
        RefusedCase{R"({"op":"set","changes":[{"address":2568,"value":30},{"address":2560,"value":50}]})",
                    "2560 is above its upper limit: 0..30 (the limit at address 2568, as this request sets it)"},
        RefusedCase{R"({"op":"get","addresses":[99999]})", "no parameter at address"},
        RefusedCase{R"({"op":"get","addresses":[]})", "no address given"}));

TEST(OwnerService, SetReachesTheBackendWholeAndCountsWhatWasAcknowledged) {
  FakeBackend backend;
  OwnerService service(backend);
  QJsonObject reply = Ask(service, R"J({"op":"set","by":"mirelune-cli (PID 9)","changes":[)J"
                                   R"J({"address":1028,"value":70},{"address":0,"gain":300,"q":20}]})J");
  EXPECT_TRUE(reply.value("ok").toBool());
  EXPECT_EQ(reply.value("acknowledged").toInt(), 2);
  EXPECT_EQ(reply.value("mode").toInt(), 3);
  ASSERT_EQ(backend.last.size(), 2u);
  EXPECT_EQ(backend.last[0].value, 70);
  EXPECT_TRUE(backend.last[1].band);
  EXPECT_EQ(backend.last[1].fields.size(), 2u) << "only the fields given";
  EXPECT_EQ(backend.lastBy, "mirelune-cli (PID 9)");

  // A limit raised in the same request lets its volume above the old one.
  reply = Ask(service, R"({"op":"set","changes":[{"address":2562,"value":30},{"address":2570,"value":40}]})");
  EXPECT_TRUE(reply.value("ok").toBool()) << reply.value("error").toString().toStdString();

  backend.acknowledgeAtMost = 1;
  reply = Ask(service, R"({"op":"set","changes":[{"address":1028,"value":70},{"address":1029,"value":70}]})");
  EXPECT_FALSE(reply.value("ok").toBool());
  EXPECT_EQ(reply.value("acknowledged").toInt(), 1);
  EXPECT_EQ(reply.value("of").toInt(), 2);
}

TEST(OwnerService, HelloGetAndEvents) {
  FakeBackend backend;
  OwnerService service(backend);
  QJsonObject hello = Ask(service, R"({"op":"hello"})");
  EXPECT_EQ(hello.value("device").toString(), "virtual:a");
  EXPECT_EQ(hello.value("pid").toInt(), 7);
  EXPECT_EQ(hello.value("mode").toInt(), 3) << "modes are 1..10 on the wire";
  const QJsonObject got = Ask(service, R"({"op":"get","addresses":[770,0]})");
  ASSERT_TRUE(got.value("ok").toBool());
  const auto params = got.value("params").toArray();
  ASSERT_EQ(params.size(), 2);
  EXPECT_EQ(params[0].toObject().value("value").toInt(), 61);
  EXPECT_EQ(params[1].toObject().value("gain").toInt(), 300);
  EXPECT_FALSE(params[1].toObject().contains("value"));
  bool subscribe = false;
  service.Handle(R"({"op":"subscribe"})", subscribe);
  EXPECT_TRUE(subscribe);
  const QJsonObject event = QJsonDocument::fromJson(
      QByteArray::fromStdString(OwnerService::ChangeEvent({770, 0}, "mirelune"))).object();
  EXPECT_EQ(event.value("event").toString(), "changed");
  EXPECT_EQ(event.value("addresses").toArray().size(), 2);
}

}  // namespace
}  // namespace mirelune
