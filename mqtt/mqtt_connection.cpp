// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/mqtt_connection.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>

#include "mqtt/mosquitto_library.h"

namespace mirelune {

namespace {

constexpr int kFirstDelayMs = 500;
constexpr int kLongestDelayMs = 30000;
// While a connection attempt is under way the library's state moves on socket events only;
// once connected, its keep-alive check (a PINGREQ when nothing went out for a keep-alive period)
// runs three times per period, so the ping leaves well before the broker's 1.5 periods run out.
constexpr int kConnectingMiscMs = 1000;

bool AllDigits(const std::string& s) {
  return !s.empty() && s.size() <= 5 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string BrokerAddress::Url() const {
  const bool v6 = host.find(':') != std::string::npos;
  return std::string(tls ? "mqtts://" : "mqtt://") + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

bool ParseBrokerUrl(const std::string& url, BrokerAddress& address, std::string& error) {
  BrokerAddress out;
  std::string rest;
  if (url.rfind("mqtt://", 0) == 0) {
    rest = url.substr(7);
  } else if (url.rfind("mqtts://", 0) == 0) {
    out.tls = true;
    rest = url.substr(8);
  } else {
    error = "'" + url + "' is not a broker address: mqtt://HOST[:PORT] or mqtts://HOST[:PORT]";
    return false;
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  std::string port;
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos || (close + 1 < rest.size() && rest[close + 1] != ':')) {
      error = "'" + url + "': an IPv6 address is written [ADDRESS]:PORT";
      return false;
    }
    out.host = rest.substr(1, close - 1);
    if (close + 1 < rest.size()) port = rest.substr(close + 2);
  } else {
    const size_t colon = rest.find(':');
    out.host = rest.substr(0, colon);
    if (colon != std::string::npos) port = rest.substr(colon + 1);
  }
  if (out.host.empty() || out.host.find_first_of("/@?# ") != std::string::npos) {
    error = "'" + url + "': the broker's host name or address is missing or malformed";
    return false;
  }
  if (out.host.find(':') != std::string::npos && QHostAddress(QString::fromStdString(out.host)).isNull()) {
    error = "'" + url + "': '" + out.host + "' is not an IPv6 address";
    return false;
  }
  out.port = out.tls ? 8883 : 1883;
  if (!port.empty() || (rest.size() && rest.back() == ':')) {
    if (!AllDigits(port) || std::stoi(port) < 1 || std::stoi(port) > 65535) {
      error = "'" + url + "': '" + port + "' is not a port number (1..65535)";
      return false;
    }
    out.port = std::stoi(port);
  }
  address = out;
  return true;
}

int ReconnectDelayMs(int attempt, double unit) {
  int64_t full = kFirstDelayMs;
  for (int i = 0; i < attempt && full < kLongestDelayMs; ++i) full *= 2;
  full = std::min<int64_t>(full, kLongestDelayMs);
  unit = std::clamp(unit, 0.0, 1.0);
  return static_cast<int>(full / 2 + static_cast<int64_t>(static_cast<double>(full / 2) * unit));
}

MqttConnection::MqttConnection(MqttOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
  misc_ = new QTimer(this);
  connect(misc_, &QTimer::timeout, this, [this] {
    if (!mosq_ || fd_ < 0) return;
    inPump_ = true;
    const int rc = api_->loop_misc(mosq_);
    inPump_ = false;
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) {
      Lost(api_->strerror(rc));
      return;
    }
    Watch();
  });
  retry_ = new QTimer(this);
  retry_->setSingleShot(true);
  connect(retry_, &QTimer::timeout, this, [this] { Attempt(); });
  connectTimeout_ = new QTimer(this);
  connectTimeout_->setSingleShot(true);
  connect(connectTimeout_, &QTimer::timeout, this, [this] {
    if (connected_) return;
    Lost("the broker did not answer within " + std::to_string(kConnectTimeoutMs / 1000) + " s");
  });
}

MqttConnection::~MqttConnection() {
  Unwatch();
  if (mosq_) api_->destroy(mosq_);
}

bool MqttConnection::Start(std::string& error) {
  api_ = LoadMosquitto(error);
  if (!api_) return false;
  mosq_ = api_->create(options_.clientId.empty() ? nullptr : options_.clientId.c_str(), true, this);
  if (!mosq_) {
    error = "the MQTT client could not be created (out of memory)";
    return false;
  }
  api_->connect_callback_set(mosq_, &MqttConnection::OnConnect);
  api_->disconnect_callback_set(mosq_, &MqttConnection::OnDisconnect);
  api_->publish_callback_set(mosq_, &MqttConnection::OnPublish);
  api_->message_callback_set(mosq_, &MqttConnection::OnMessage);
  api_->int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  // A command's reply is one small packet: it goes out at once instead of waiting for more.
  api_->int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
  int rc = MOSQ_ERR_SUCCESS;
  if (!options_.user.empty() || !options_.password.empty())
    rc = api_->username_pw_set(mosq_, options_.user.c_str(), options_.password.empty() ? nullptr : options_.password.c_str());
  if (rc == MOSQ_ERR_SUCCESS && options_.broker.tls) {
    if (options_.certFile.empty() != options_.keyFile.empty()) {
      error = "a client certificate needs both its certificate and its key file";
      return false;
    }
    const char* ca = options_.caFile.empty() ? nullptr : options_.caFile.c_str();
    rc = api_->tls_set(mosq_, ca, ca ? nullptr : "/etc/ssl/certs",
                       options_.certFile.empty() ? nullptr : options_.certFile.c_str(),
                       options_.keyFile.empty() ? nullptr : options_.keyFile.c_str(), nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
      error = "TLS settings refused (" + std::string(api_->strerror(rc)) + "): check that " +
              (ca ? options_.caFile : std::string("/etc/ssl/certs")) +
              (options_.certFile.empty() ? "" : ", " + options_.certFile + " and " + options_.keyFile) +
              " exist and are readable PEM files";
      return false;
    }
  } else if (rc == MOSQ_ERR_SUCCESS && (!options_.caFile.empty() || !options_.certFile.empty())) {
    error = "certificates are for an encrypted broker address (mqtts://)";
    return false;
  }
  if (rc == MOSQ_ERR_SUCCESS && !options_.willTopic.empty())
    rc = api_->will_set(mosq_, options_.willTopic.c_str(), static_cast<int>(options_.willPayload.size()),
                        options_.willPayload.data(), 1, options_.willRetain);
  if (rc != MOSQ_ERR_SUCCESS) {
    error = std::string("the MQTT client settings were refused: ") + api_->strerror(rc);
    return false;
  }
  stopping_ = false;
  Attempt();
  return true;
}

void MqttConnection::Attempt() {
  if (!mosq_ || stopping_) return;
  errno = 0;
  const int rc = api_->connect_async(mosq_, options_.broker.host.c_str(), options_.broker.port, options_.keepAliveS);
  if (rc != MOSQ_ERR_SUCCESS) {
    const std::string why = rc == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno)) : Describe(rc);
    // Nothing is connected, so nothing is lost: only the next attempt is planned.
    lastError_ = options_.broker.Url() + ": " + why;
    Unwatch();
    if (onDisconnected) onDisconnected(lastError_);
    if (options_.reconnect && !stopping_) retry_->start(ReconnectDelayMs(attempt_++, QRandomGenerator::global()->generateDouble()));
    return;
  }
  live_ = true;
  refusal_.clear();
  connectTimeout_->start(kConnectTimeoutMs);
  Watch();
}

void MqttConnection::Watch() {
  if (!mosq_) return;
  const int fd = api_->socket(mosq_);
  if (fd != fd_) {
    Unwatch();
    fd_ = fd;
    if (fd_ >= 0) {
      reader_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
      connect(reader_.get(), &QSocketNotifier::activated, this, [this] { Pump(true, false); });
      writer_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
      connect(writer_.get(), &QSocketNotifier::activated, this, [this] { Pump(false, true); });
    }
  }
  if (fd_ < 0) return;
  writer_->setEnabled(api_->want_write(mosq_));
  const int miscMs = connected_ ? std::max(1, options_.keepAliveS) * 1000 / 3 : kConnectingMiscMs;
  if (!misc_->isActive() || misc_->interval() != miscMs) misc_->start(miscMs);
}

void MqttConnection::Unwatch() {
  // The library may already have closed the descriptor: the notifiers go before the event
  // loop polls it again.
  if (reader_) reader_->setEnabled(false);
  if (writer_) writer_->setEnabled(false);
  reader_.reset();
  writer_.reset();
  fd_ = -1;
  if (misc_) misc_->stop();
}

void MqttConnection::Pump(bool read, bool write) {
  if (!mosq_ || inPump_) return;
  inPump_ = true;
  errno = 0;
  int rc = MOSQ_ERR_SUCCESS;
  if (read) rc = api_->loop_read(mosq_, 1);
  if (rc == MOSQ_ERR_SUCCESS && api_->socket(mosq_) >= 0 && (write || api_->want_write(mosq_)))
    rc = api_->loop_write(mosq_, 1);
  inPump_ = false;
  if (rc != MOSQ_ERR_SUCCESS) {
    Lost(rc == MOSQ_ERR_ERRNO && errno ? std::string(std::strerror(errno)) : Describe(rc));
    return;
  }
  Watch();
}

std::string MqttConnection::Describe(int rc) const {
  if (rc == MOSQ_ERR_TLS)
    return "the TLS handshake failed (is the broker's certificate signed by the CA given, and does the broker "
           "take this client's certificate?)";
  if (rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_ERRNO) return "the connection was lost";
  return api_->strerror(rc);
}

void MqttConnection::Lost(const std::string& why) {
  // The library reports a loss twice (its callback, then the return code): it counts once.
  if (!live_) return;
  live_ = false;
  const bool wasConnected = connected_;
  connected_ = false;
  unsent_ = 0;
  connectTimeout_->stop();
  Unwatch();
  if (stopping_) return;
  lastError_ = options_.broker.Url() + ": " + why;
  if (onDisconnected) onDisconnected(lastError_);
  if (!options_.reconnect) return;
  // A connection that worked starts the back-off again: a broker restart costs half a second.
  if (wasConnected) attempt_ = 0;
  retry_->start(ReconnectDelayMs(attempt_++, QRandomGenerator::global()->generateDouble()));
}

void MqttConnection::Stop(int flushMs) {
  if (!mosq_ || stopping_) return;
  retry_->stop();
  connectTimeout_->stop();
  if (connected_) {
    // What was published last (the room saying it goes offline) leaves before the goodbye.
    QTimer deadline;
    deadline.start(flushMs);
    while (unsent_ > 0 && deadline.remainingTime() > 0 && connected_ && fd_ >= 0) {
      inPump_ = true;
      int rc = api_->loop_write(mosq_, 1);
      if (rc == MOSQ_ERR_SUCCESS) rc = api_->loop_read(mosq_, 1);
      inPump_ = false;
      if (rc != MOSQ_ERR_SUCCESS) break;
      if (unsent_ > 0) {
        pollfd p{fd_, POLLIN, 0};
        ::poll(&p, 1, 20);
      }
    }
  }
  stopping_ = true;
  if (connected_) {
    api_->disconnect(mosq_);
    inPump_ = true;
    api_->loop_write(mosq_, 1);
    inPump_ = false;
  }
  connected_ = false;
  Unwatch();
}

bool MqttConnection::Publish(const std::string& topic, const std::string& payload, int qos, bool retain) {
  if (!mosq_ || !connected_) {
    lastError_ = "not connected to the broker";
    return false;
  }
  if (unsent_ >= kMaxUnsent) {
    lastError_ = "the broker is not keeping up: " + std::to_string(unsent_) + " messages wait";
    return false;
  }
  // Counted before: the library may report a QoS 0 message written from inside this call.
  ++unsent_;
  const int rc = api_->publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), qos, retain);
  if (rc != MOSQ_ERR_SUCCESS) {
    --unsent_;
    lastError_ = topic + ": " + api_->strerror(rc);
    return false;
  }
  if (!inPump_) Watch();
  return true;
}

void MqttConnection::Subscribe(const std::string& pattern, int qos) {
  for (const auto& s : subscriptions_)
    if (s.first == pattern) return;
  subscriptions_.emplace_back(pattern, qos);
  if (connected_) {
    api_->subscribe(mosq_, nullptr, pattern.c_str(), qos);
    if (!inPump_) Watch();
  }
}

void MqttConnection::OnConnect(mosquitto*, void* self, int rc) {
  auto* c = static_cast<MqttConnection*>(self);
  c->connectTimeout_->stop();
  if (rc != 0) {
    // Refused by the broker (a wrong password, a client id it does not take): the library
    // closes the connection; the next attempt follows the back-off like any other.
    c->refusal_ = std::string("the broker refused the connection (") + c->api_->connack_string(rc) + ")";
    return;
  }
  c->connected_ = true;
  c->attempt_ = 0;
  c->lastError_.clear();
  for (const auto& [pattern, qos] : c->subscriptions_) c->api_->subscribe(c->mosq_, nullptr, pattern.c_str(), qos);
  // The subscriber may publish from here (its state, its availability).
  if (c->onConnected) c->onConnected();
}

void MqttConnection::OnDisconnect(mosquitto*, void* self, int rc) {
  auto* c = static_cast<MqttConnection*>(self);
  const std::string why = !c->refusal_.empty() ? c->refusal_ : c->Describe(rc);
  // Inside the library's call: the socket is closed when it returns. The rest happens here
  // too, as the library will not touch the notifiers' descriptor again.
  c->Lost(why);
}

void MqttConnection::OnPublish(mosquitto*, void* self, int) {
  auto* c = static_cast<MqttConnection*>(self);
  if (c->unsent_ > 0) --c->unsent_;
}

void MqttConnection::OnMessage(mosquitto*, void* self, const mosquitto_message* m) {
  auto* c = static_cast<MqttConnection*>(self);
  if (!c->onMessage || !m || !m->topic) return;
  const std::string payload(static_cast<const char*>(m->payload), m->payload ? static_cast<size_t>(m->payloadlen) : 0);
  c->onMessage(m->topic, payload, m->retain);
}

}  // namespace mirelune
