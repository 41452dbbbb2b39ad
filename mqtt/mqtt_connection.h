// SPDX-License-Identifier: GPL-3.0-or-later
// One client connection to an MQTT broker (libmosquitto, MQTT 3.1.1), run on the Qt event loop
// of the calling thread: a socket notifier reads and writes, a timer keeps the connection alive,
// nothing runs on a thread of its own (the program's one-thread rule holds: callbacks arrive on
// the UI thread, also inside the owner's nested waits, so they only take note and return).
//
// A room's connection comes back by itself: after the broker goes away it tries again after
// ReconnectDelayMs (0.5 s doubling to 30 s, each wait between half and all of that, so a venue's
// boxes do not all knock at once when their broker restarts), subscribes again and says so
// through onConnected. A fleet command's connection (reconnect = false) reports the loss and
// stays down.
//
// Bounds: a connection attempt that gets no answer from the broker within kConnectTimeoutMs is
// dropped and tried again; at most kMaxUnsent publications may wait for the socket (or, at QoS 1,
// for the broker's acknowledgement) - Publish refuses more until the broker catches up.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;
class QSocketNotifier;
class QTimer;

namespace mirelune {

struct MosquittoApi;

// Where the broker is: mqtt://HOST[:PORT] (1883) or mqtts://HOST[:PORT] (8883, TLS); an IPv6
// host is written in brackets (mqtt://[::1]:1883).
struct BrokerAddress {
  bool tls = false;
  std::string host;
  int port = 0;
  std::string Url() const;
};
bool ParseBrokerUrl(const std::string& url, BrokerAddress& address, std::string& error);

struct MqttOptions {
  BrokerAddress broker;
  std::string user, password;     // both empty: no user name
  std::string caFile;             // mqtts: the broker's CA (PEM); empty: the system's CAs
  std::string certFile, keyFile;  // mqtts: this client's certificate and key (PEM), or neither
  std::string clientId;           // unique on the broker; it drops an older client of the same id
  int keepAliveS = 30;            // the broker declares a silent client gone after 1.5 x this
  // The last will: what the broker publishes for this client when it vanishes without saying
  // goodbye (killed, power cut, network gone). Empty topic: none.
  std::string willTopic, willPayload;
  bool willRetain = true;
  bool reconnect = true;
};

// The wait before reconnection attempt `attempt` (0, 1, ...), in ms: 500 * 2^attempt capped at
// 30 000, scaled to between half and all of it by `unit` (0..1, a random number).
int ReconnectDelayMs(int attempt, double unit);

class MqttConnection : public QObject {
 public:
  static constexpr int kConnectTimeoutMs = 10000;
  static constexpr int kMaxUnsent = 2000;

  explicit MqttConnection(MqttOptions options, QObject* parent = nullptr);
  ~MqttConnection() override;
  MqttConnection(const MqttConnection&) = delete;
  MqttConnection& operator=(const MqttConnection&) = delete;

  // Loads libmosquitto, applies the options and begins the first attempt. False with `error`
  // for what no attempt can cure: the library missing, a certificate file that cannot be used.
  // Whether the broker answers is told later, by onConnected / onDisconnected.
  bool Start(std::string& error);
  // Says goodbye to the broker (so it does not publish the will), after trying for at most
  // `flushMs` to hand over what is still unsent. No reconnection follows.
  void Stop(int flushMs = 500);

  bool Connected() const { return connected_; }
  // Queues a publication; false when not connected, over kMaxUnsent, or refused by the library
  // (LastError says why).
  bool Publish(const std::string& topic, const std::string& payload, int qos, bool retain);
  // Subscribes now when connected, and again after every reconnection.
  void Subscribe(const std::string& pattern, int qos);
  int Unsent() const { return unsent_; }
  const std::string& LastError() const { return lastError_; }
  const MqttOptions& options() const { return options_; }

  std::function<void()> onConnected;
  // The connection was lost or refused; `why` in words. A room's connection tries again.
  std::function<void(const std::string& why)> onDisconnected;
  std::function<void(const std::string& topic, const std::string& payload, bool retained)> onMessage;

 private:
  static void OnConnect(mosquitto*, void* self, int rc);
  static void OnDisconnect(mosquitto*, void* self, int rc);
  static void OnPublish(mosquitto*, void* self, int mid);
  static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

  void Attempt();
  void Lost(const std::string& why);
  void Watch();
  void Unwatch();
  void Pump(bool read, bool write);
  std::string Describe(int rc) const;

  MqttOptions options_;
  const MosquittoApi* api_ = nullptr;
  mosquitto* mosq_ = nullptr;
  std::unique_ptr<QSocketNotifier> reader_, writer_;
  int fd_ = -1;
  QTimer* misc_ = nullptr;
  QTimer* retry_ = nullptr;
  QTimer* connectTimeout_ = nullptr;
  std::vector<std::pair<std::string, int>> subscriptions_;
  bool connected_ = false;
  bool live_ = false;  // an attempt is under way or connected
  std::string refusal_;
  bool stopping_ = false;
  bool inPump_ = false;
  int attempt_ = 0;
  int unsent_ = 0;
  std::string lastError_;
};

}  // namespace mirelune
