// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of a venue's rooms on a broker that need no broker: broker addresses, the
// reconnection back-off, topics and room patterns, command ids and packed tables, the
// home-automation discovery messages (against the fields the hub requires) and the differences
// `fleet diff` reports.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <set>

#include "model/param_names.h"
#include "model/sp_file.h"
#include "model/store.h"
#include "mqtt/ha_discovery.h"
#include "mqtt/mode_diff.h"
#include "mqtt/mqtt_connection.h"
#include "mqtt/room_messages.h"
#include "mqtt/room_topics.h"

namespace mirelune {
namespace {

TEST(BrokerUrl, AcceptsTheTwoSchemesWithTheirDefaultPortsAndRefusesTheRest) {
  struct Case {
    const char* url;
    bool ok;
    bool tls;
    const char* host;
    int port;
  };
  const Case cases[] = {
      {"mqtt://broker.local", true, false, "broker.local", 1883},
      {"mqtts://10.0.0.2", true, true, "10.0.0.2", 8883},
      {"mqtt://127.0.0.1:18830", true, false, "127.0.0.1", 18830},
      {"mqtt://[::1]:1884", true, false, "::1", 1884},
      {"mqtts://[fe80::1]", true, true, "fe80::1", 8883},
      {"mqtt://host:0", false, false, "", 0},
      {"mqtt://host:65536", false, false, "", 0},
      {"mqtt://host:12x", false, false, "", 0},
      {"mqtt://", false, false, "", 0},
      {"mqtt://user@host", false, false, "", 0},
      {"http://host:1883", false, false, "", 0},
      {"host:1883", false, false, "", 0},
      {"mqtt://[::1", false, false, "", 0},
      {"mqtt://::1:1883", false, false, "", 0},
  };
  for (const Case& c : cases) {
    BrokerAddress a;
    std::string error;
    EXPECT_EQ(ParseBrokerUrl(c.url, a, error), c.ok) << c.url << " " << error;
    if (!c.ok) {
      EXPECT_FALSE(error.empty()) << c.url;
      continue;
    }
    EXPECT_EQ(a.tls, c.tls) << c.url;
    EXPECT_EQ(a.host, c.host) << c.url;
    EXPECT_EQ(a.port, c.port) << c.url;
    BrokerAddress again;
    ASSERT_TRUE(ParseBrokerUrl(a.Url(), again, error)) << a.Url();
    EXPECT_EQ(again.host, a.host);
    EXPECT_EQ(again.port, a.port);
  }
}

TEST(Reconnect, WaitsDoubleFromHalfASecondToThirtySecondsEachBetweenHalfAndAll) {
  const int full[] = {500, 1000, 2000, 4000, 8000, 16000, 30000, 30000};
  for (int attempt = 0; attempt < 8; ++attempt) {
    EXPECT_EQ(ReconnectDelayMs(attempt, 1.0), full[attempt]) << attempt;
    EXPECT_EQ(ReconnectDelayMs(attempt, 0.0), full[attempt] / 2) << attempt;
    const int mid = ReconnectDelayMs(attempt, 0.5);
    EXPECT_GT(mid, full[attempt] / 2);
    EXPECT_LT(mid, full[attempt]);
  }
  EXPECT_EQ(ReconnectDelayMs(1000, 1.0), 30000);  // no overflow after days of outage
}

TEST(RoomTopics, EachRoleHasItsOwnCommandsAndAnswers) {
  const RoomTopics t("venue", "k01");
  EXPECT_EQ(t.State(), "mirelune/venue/k01/state");
  EXPECT_EQ(t.Availability(), "mirelune/venue/k01/availability");
  EXPECT_EQ(t.Command(RemoteRole::Staff, RoomCommand::Set), "mirelune/venue/k01/set");
  EXPECT_EQ(t.Command(RemoteRole::Installer, RoomCommand::WriteMode), "mirelune/venue/k01/installer/write-mode");
  EXPECT_EQ(t.Result(RemoteRole::Staff, "x1"), "mirelune/venue/k01/result/x1");
  EXPECT_EQ(t.Result(RemoteRole::Installer, "x1"), "mirelune/venue/k01/installer/result/x1");
  struct Case {
    const char* topic;
    bool command;
    RemoteRole role;
    RoomCommand kind;
  };
  const Case cases[] = {
      {"mirelune/venue/k01/set", true, RemoteRole::Staff, RoomCommand::Set},
      {"mirelune/venue/k01/mode", true, RemoteRole::Staff, RoomCommand::Mode},
      {"mirelune/venue/k01/write-mode", true, RemoteRole::Staff, RoomCommand::WriteMode},
      {"mirelune/venue/k01/installer/read-mode", true, RemoteRole::Installer, RoomCommand::ReadMode},
      {"mirelune/venue/k01/installer/set", true, RemoteRole::Installer, RoomCommand::Set},
      {"mirelune/venue/k01/state", false, RemoteRole::None, RoomCommand::Set},
      {"mirelune/venue/k01/installer/event", false, RemoteRole::None, RoomCommand::Set},
      {"mirelune/venue/k02/set", false, RemoteRole::None, RoomCommand::Set},
      {"mirelune/venue/k01/set/extra", false, RemoteRole::None, RoomCommand::Set},
  };
  for (const Case& c : cases) {
    RemoteRole role = RemoteRole::None;
    RoomCommand kind = RoomCommand::Set;
    EXPECT_EQ(t.ParseCommand(c.topic, role, kind), c.command) << c.topic;
    if (!c.command) continue;
    EXPECT_EQ(role, c.role) << c.topic;
    EXPECT_EQ(kind, c.kind) << c.topic;
  }
}

TEST(RoomNames, RefuseWhatWouldBreakTheTopics) {
  std::string error;
  for (const char* ok : {"venue", "k01", "包厢 1", "a.b-c_d"}) EXPECT_TRUE(ValidRoomName(ok, "--room", error)) << ok;
  for (const char* bad : {"", "a/b", "a+", "#", "$SYS", "tab\there", "a,b"}) {
    EXPECT_FALSE(ValidRoomName(bad, "--room", error)) << bad;
    EXPECT_NE(error.find("--room"), std::string::npos);
  }
  EXPECT_FALSE(ValidRoomName(std::string(65, 'a'), "--room", error));
}

TEST(RoomPattern, MatchesSitesAndRoomsWithWildcardsAndSubscribesNarrowly) {
  struct Case {
    const char* pattern;
    const char* site;
    const char* room;
    bool matches;
  };
  const Case cases[] = {
      {"venue/*", "venue", "k01", true},      {"venue/*", "other", "k01", false},
      {"venue", "venue", "k02", true},        {"venue/k0?", "venue", "k03", true},
      {"venue/k0?", "venue", "k10", false},   {"*/*", "any", "room", true},
      {"ven*/k*1", "venue", "k0001", true},   {"ven*/k*1", "venue", "k0002", false},
      {"venue/包厢?", "venue", "包厢3", true}, {"venue/k01", "venue", "k011", false},
      {"venue/k01,venue/k07", "venue", "k07", true}, {"venue/k01,venue/k07", "venue", "k02", false},
      {"venue/k01,other", "other", "x", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RoomPattern(c.pattern).Matches(c.site, c.room), c.matches) << c.pattern << " " << c.site << "/" << c.room;
  EXPECT_EQ(RoomPattern("venue/k0?").Subscription("state"), "mirelune/venue/+/state");
  EXPECT_EQ(RoomPattern("ven*/k01").Subscription("state"), "mirelune/+/+/state");
  EXPECT_EQ(RoomPattern("venue/k01,venue/k02").Subscription("state"), "mirelune/venue/+/state");
  EXPECT_EQ(RoomPattern("venue/k01,other/k02").Subscription("state"), "mirelune/+/+/state");
  std::string site, room, leaf;
  ASSERT_TRUE(SplitRoomTopic("mirelune/venue/k01/availability", site, room, leaf));
  EXPECT_EQ(site + "|" + room + "|" + leaf, "venue|k01|availability");
  EXPECT_FALSE(SplitRoomTopic("mirelune/venue/k01/installer/event", site, room, leaf));
  EXPECT_FALSE(SplitRoomTopic("other/venue/k01/state", site, room, leaf));
}

TEST(Commands, IdsAndModesAreReadStrictly) {
  for (const char* ok : {"a", "ha-1718000000.123456", "0123456789abcdef", "x:y_z.w"}) EXPECT_TRUE(ValidCommandId(ok)) << ok;
  for (const char* bad : {"", "has space", "a/b", "ü", "#"}) EXPECT_FALSE(ValidCommandId(bad)) << bad;
  EXPECT_FALSE(ValidCommandId(std::string(65, 'a')));
  struct Case {
    QJsonValue value;
    int mode;
  };
  const Case cases[] = {{QJsonValue(3), 3},       {QJsonValue(10), 10},        {QJsonValue(0), 0},
                        {QJsonValue(11), 0},      {QJsonValue(2.5), 0},        {QJsonValue("3 KTV"), 3},
                        {QJsonValue("10"), 10},   {QJsonValue("3KTV"), 0},     {QJsonValue("KTV 3"), 0},
                        {QJsonValue("11 x"), 0},  {QJsonValue(), 0},           {QJsonValue(true), 0}};
  for (const Case& c : cases) EXPECT_EQ(CommandMode(c.value), c.mode) << QJsonDocument(QJsonArray{c.value}).toJson().toStdString();
  EXPECT_EQ(CommandMode(QString::fromStdString(ModeOption(7, "Party 2"))), 7);
}

TEST(PackedTables, GoBackWholeAndRefuseAnythingElse) {
  Store store;
  store.InitDefaults();
  RecordTable table = store.ParamTable;
  table.at(0, 1028).Value = 42;
  table.at(1, 5).Gain = 300;
  const std::string packed = PackTable(table);
  EXPECT_LT(packed.size(), 40000u);  // a mode of mostly start-up values stays small
  RecordTable back;
  std::string error;
  ASSERT_TRUE(UnpackTable(packed, true, back, error)) << error;
  EXPECT_TRUE(back == table);

  const std::vector<uint8_t> bytes = EncodeTable(table);
  const std::string plain = QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))
                                .toBase64()
                                .toStdString();
  ASSERT_TRUE(UnpackTable(plain, false, back, error)) << error;
  EXPECT_TRUE(back == table);

  // A compressed stream that declares another length, a short table, and no base64 at all.
  const std::string lying = qCompress(QByteArray(1000, 'x')).toBase64().toStdString();
  const std::string shortTable = QByteArray(1000, 'x').toBase64().toStdString();
  const struct {
    std::string text;
    bool compressed;
  } refused[] = {{lying, true}, {shortTable, false}, {"***", true}, {packed.substr(0, packed.size() / 2), true}};
  for (const auto& r : refused) {
    RecordTable untouched = table;
    error.clear();
    EXPECT_FALSE(UnpackTable(r.text, r.compressed, untouched, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(untouched == table);
  }
}

// The hub's required and used fields of each component, as its MQTT integration reads them.
QJsonObject ConfigOf(const std::vector<std::pair<std::string, std::string>>& messages, const std::string& topic) {
  for (const auto& [t, payload] : messages)
    if (t == topic) return QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
  return {};
}

// Renders what the hub's templates do for the cases used here.
std::string Render(std::string text, const std::string& value) {
  auto swap = [&text](const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) text.replace(at, from.size(), to);
  };
  swap("{{ now().timestamp() }}", "1718000000.25");
  swap("{{ value | int }}", value);
  swap("{{ value | tojson }}", "\"" + value + "\"");
  return text;
}

TEST(Discovery, GivesTheHubEveryFieldItNeedsInTheUsersLanguage) {
  DiscoveryRoom r;
  r.site = "venue";
  r.room = "包厢 1";
  r.identifier = "_LM-R52Z";
  r.version = "0.1.0";
  r.volumes = {{2560, 0, 60}, {2561, 0, 80}};
  r.modes = true;
  for (int i = 1; i <= 10; ++i) r.modeNames.push_back(i == 3 ? "KTV \"party\"" : "Mode " + std::to_string(i));
  const auto messages = DiscoveryMessages(r);
  ASSERT_EQ(messages.size(), 4u);

  const std::string node = DiscoveryNodeId(r.site, r.room);
  const QRegularExpression topicShape("^homeassistant/(number|select|binary_sensor)/[A-Za-z0-9_-]+/[A-Za-z0-9_-]+/config$");
  std::set<std::string> uniqueIds;
  const RoomTopics topics(r.site, r.room);
  for (const auto& [topic, payload] : messages) {
    EXPECT_TRUE(topicShape.match(QString::fromStdString(topic)).hasMatch()) << topic;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
    ASSERT_FALSE(o.isEmpty()) << payload;
    uniqueIds.insert(o.value("unique_id").toString().toStdString());
    EXPECT_EQ(o.value("state_topic").toString().toStdString(), topics.State());
    EXPECT_EQ(o.value("availability_topic").toString().toStdString(), topics.Availability());
    EXPECT_EQ(o.value("payload_available").toString(), "online");
    EXPECT_EQ(o.value("payload_not_available").toString(), "offline");
    EXPECT_FALSE(o.value("name").toString().isEmpty());
    const QJsonObject device = o.value("device").toObject();
    EXPECT_EQ(device.value("identifiers").toArray().first().toString().toStdString(), node);
    EXPECT_EQ(device.value("model").toString(), "_LM-R52Z");
  }
  EXPECT_EQ(uniqueIds.size(), messages.size());

  const QJsonObject music = ConfigOf(messages, "homeassistant/number/" + node + "/volume_2560/config");
  EXPECT_EQ(music.value("name").toString(), "音乐总音量");
  EXPECT_EQ(music.value("min").toInt(), 0);
  EXPECT_EQ(music.value("max").toInt(), 60);  // the room's upper limit, not the slider's 80
  EXPECT_EQ(music.value("step").toInt(), 1);
  EXPECT_EQ(music.value("command_topic").toString().toStdString(), topics.Command(RemoteRole::Staff, RoomCommand::Set));
  EXPECT_EQ(music.value("value_template").toString(), "{{ value_json.params['2560'].level }}");
  // What the hub publishes when the slider is set to 25 is a command the room takes.
  QJsonObject command;
  ASSERT_TRUE(ParseJsonObject(Render(music.value("command_template").toString().toStdString(), "25"), command));
  EXPECT_TRUE(ValidCommandId(command.value("id").toString().toStdString()));
  EXPECT_EQ(command.value("params").toObject().value("2560").toInt(), 25);

  const QJsonObject mode = ConfigOf(messages, "homeassistant/select/" + node + "/mode/config");
  const QJsonArray options = mode.value("options").toArray();
  ASSERT_EQ(options.size(), 10);
  EXPECT_EQ(options.at(2).toString().toStdString(), ModeOption(3, "KTV \"party\""));
  EXPECT_EQ(mode.value("command_topic").toString().toStdString(), topics.Command(RemoteRole::Staff, RoomCommand::Mode));
  EXPECT_EQ(mode.value("value_template").toString(), "{{ value_json.mode_option }}");
  std::string picked = options.at(2).toString().toStdString();
  for (size_t at = picked.find('"'); at != std::string::npos; at = picked.find('"', at + 2)) picked.replace(at, 1, "\\\"");
  ASSERT_TRUE(ParseJsonObject(Render(mode.value("command_template").toString().toStdString(), picked), command));
  EXPECT_EQ(CommandMode(command.value("mode")), 3);

  const QJsonObject link = ConfigOf(messages, "homeassistant/binary_sensor/" + node + "/link/config");
  EXPECT_EQ(link.value("device_class").toString(), "connectivity");
  EXPECT_EQ(link.value("payload_on").toString(), "ON");
  EXPECT_EQ(link.value("payload_off").toString(), "OFF");

  r.language = "en";
  r.modes = false;  // staff may not recall modes: no select
  const auto english = DiscoveryMessages(r);
  ASSERT_EQ(english.size(), 3u);
  EXPECT_EQ(ConfigOf(english, "homeassistant/number/" + node + "/volume_2561/config").value("name").toString(),
            "Microphone master volume");
  EXPECT_EQ(ConfigOf(english, "homeassistant/binary_sensor/" + node + "/link/config").value("name").toString(),
            "Amplifier link");
}

TEST(Discovery, NodeIdsOfDifferentRoomsDiffer) {
  const std::pair<const char*, const char*> rooms[] = {{"a", "b_c"}, {"a_b", "c"}, {"a", "b c"}, {"a", "b_20c"},
                                                       {"a", "包厢"},  {"a", "b-c"}};
  std::set<std::string> ids;
  for (const auto& [site, room] : rooms) {
    const std::string id = DiscoveryNodeId(site, room);
    EXPECT_TRUE(QRegularExpression("^[A-Za-z0-9_-]+$").match(QString::fromStdString(id)).hasMatch()) << id;
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), std::size(rooms));
}

TEST(ModeDiff, ComparesWhatAReadBackBringsAndOnlyThat) {
  const Store& layout = StartUpStore();
  const RecordTable file = layout.ParamTable;
  EXPECT_TRUE(ModeDifferences(file, file).empty());

  RecordTable room = file;
  room.at(0, 1028).Value = 55;                     // music kind, read back: reported
  room.at(0, layout.KindStart[2]).Value += 1;      // kind 2 is not read back: not reported
  room.at(0, 2560).Value += 1;                     // system kinds are not read back either
  room.at(0, 1028).Valid = kFalse;                 // not on the wire
  const std::vector<ModeDifference> d = ModeDifferences(file, room);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].address, 1028);
  EXPECT_EQ(d[0].slot, 0);
  EXPECT_EQ(d[0].file, ParamValueText(1028, file.at(0, 1028).Value));
  EXPECT_EQ(d[0].room, ParamValueText(1028, 55));
  EXPECT_FALSE(ModeReadCovers(0, layout.KindStart[2]));
  EXPECT_TRUE(ModeReadCovers(1, 1028));
  EXPECT_FALSE(ModeReadCovers(1, 256));  // kind 1 is read in the singing mode only

  // An EQ band differs in its gain; the dance mode's copy of a shared parameter is not counted
  // again.
  int band = -1;
  for (int a = layout.KindStart[0]; a <= layout.KindEnd[0] && band < 0; ++a)
    if (layout.ParamTable.at(0, a).Kind == kEqBand && layout.ParamTable.at(0, a).PerMode != kFalse) band = a;
  ASSERT_GE(band, 0);
  RecordTable eq = file;
  eq.at(1, band).Gain += 30;
  if (layout.ParamTable.at(0, 1028).PerMode == kFalse) eq.at(1, 1028).Value = 9;
  const std::vector<ModeDifference> e = ModeDifferences(file, eq);
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].address, band);
  EXPECT_EQ(e[0].slot, 1);
  EXPECT_NE(e[0].file, e[0].room);
}

}  // namespace
}  // namespace mirelune
