// SPDX-License-Identifier: GPL-3.0-or-later
// The room remote under load, against `mirelune-cli serve` (beside this program) on a virtual
// amplifier with the USB timing model, over loopback: serve's CPU per PUT, read from /proc,
// with one client and with eight at once (over kept connections, and with a new connection per
// PUT), and with 50 WebSocket pages listening; the PUTs' reply times (p50, p99) and the
// throughput. Each PUT changes the music master volume, so
// every page gets one event per PUT.
//
//   build/bin/mirelune-bench-remote                    # all three
//   build/bin/mirelune-bench-remote --benchmark_filter=/8/   # eight clients only
//   MIRELUNE_CLI=/other/build/bin/mirelune-cli build/bin/mirelune-bench-remote  # another build
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebSocket>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "mirelune-bench-remote";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

bool Pump(int ms, const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  return true;
}

// utime + stime of `pid` in milliseconds.
double CpuMs(qint64 pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::istringstream rest(text.substr(text.rfind(')') + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

class Serve {
 public:
  Serve() {
    App();
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    ::mkdir((dir_.path() + "/run").toLocal8Bit().constData(), 0700);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", dir_.path());
    env.insert("XDG_DATA_HOME", dir_.path() + "/data");
    env.insert("XDG_CONFIG_HOME", dir_.path() + "/config");
    env.insert("XDG_RUNTIME_DIR", dir_.path() + "/run");
    proc_.setProcessEnvironment(env);
    // MIRELUNE_CLI: another build's tool, to compare with.
    const QString cli = qEnvironmentVariableIsSet("MIRELUNE_CLI") ? qEnvironmentVariable("MIRELUNE_CLI")
                                                                 : QString::fromStdString(self + "/mirelune-cli");
    proc_.start(cli,
                {"--device", "virtual:bench", "--faults", "usbtiming", "serve", "--listen", "127.0.0.1:0"});
    QByteArray out;
    Pump(15000, [&] {
      out += proc_.readAllStandardOutput();
      return out.contains("Pairing link: ") || proc_.state() == QProcess::NotRunning;
    });
    const auto url = QRegularExpression("URL: http://127.0.0.1:(\\d+)/").match(QString::fromUtf8(out));
    const auto pin = QRegularExpression("PIN: (\\d{6})").match(QString::fromUtf8(out));
    port = url.captured(1).toInt();
    this->pin = pin.captured(1).toLatin1();
  }
  ~Serve() {
    proc_.terminate();
    proc_.waitForFinished(10000);
  }
  qint64 Pid() const { return proc_.processId(); }
  int port = 0;
  QByteArray pin;

 private:
  QTemporaryDir dir_;
  QProcess proc_;
};

Serve& TheServe() {
  static Serve serve;
  return serve;
}

// A client sending a request and taking its reply: over one kept connection, or (`fresh`) a
// new connection per request, as a script calling curl does.
class Client {
 public:
  Client(int port, bool fresh = false) : port_(port), fresh_(fresh) {
    if (!fresh_) Connect();
  }
  void Send(const QByteArray& method, const QByteArray& path, const QByteArray& body, const QByteArray& token,
            std::function<void(int status, const QByteArray& body)> done) {
    done_ = std::move(done);
    if (fresh_) Connect();
    QByteArray r = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port_) + "\r\n";
    if (!token.isEmpty()) r += "Authorization: Bearer " + token + "\r\n";
    if (fresh_) r += "Connection: close\r\n";
    r += "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    socket_->write(r);
  }

 private:
  void Connect() {
    if (socket_) {
      socket_->disconnect();
      socket_->deleteLater();
    }
    socket_ = new QTcpSocket;
    in_.clear();
    socket_->connectToHost("127.0.0.1", static_cast<quint16>(port_));
    socket_->waitForConnected(5000);
    QObject::connect(socket_, &QTcpSocket::readyRead, [this] { OnReadable(); });
  }
  void OnReadable() {
    in_ += socket_->readAll();
    const int end = in_.indexOf("\r\n\r\n");
    if (end < 0) return;
    const auto m = QRegularExpression("Content-Length: (\\d+)").match(QString::fromLatin1(in_.left(end)));
    const int length = m.captured(1).toInt();
    if (in_.size() < end + 4 + length) return;
    const int status = in_.mid(9, 3).toInt();
    const QByteArray body = in_.mid(end + 4, length);
    in_.remove(0, end + 4 + length);
    // The callback may send the next request, which takes the place of this one's.
    const auto done = std::move(done_);
    done_ = nullptr;
    if (done) done(status, body);
  }
  QTcpSocket* socket_ = nullptr;
  QByteArray in_;
  int port_ = 0;
  bool fresh_ = false;
  std::function<void(int, const QByteArray&)> done_;
};

void BM_ServePut(benchmark::State& state) {
  Serve& serve = TheServe();
  if (serve.port == 0) {
    state.SkipWithError("serve did not start");
    return;
  }
  const int clients = static_cast<int>(state.range(0));
  const int pages = static_cast<int>(state.range(1));
  const bool fresh = state.range(2) != 0;
  const int puts = 400;
  QByteArray token;
  {
    Client c(serve.port);
    c.Send("POST", "/api/v1/session", "{\"pin\":\"" + serve.pin + "\"}", {},
           [&token](int, const QByteArray& b) { token = QJsonDocument::fromJson(b).object().value("token").toString().toLatin1(); });
    Pump(5000, [&] { return !token.isEmpty(); });
  }
  std::vector<std::unique_ptr<QWebSocket>> sockets;
  long events = 0;
  for (int i = 0; i < pages; ++i) {
    auto ws = std::make_unique<QWebSocket>();
    QObject::connect(ws.get(), &QWebSocket::textMessageReceived, [&events](const QString&) { ++events; });
    ws->open(QUrl("ws://127.0.0.1:" + QString::number(serve.port) + "/api/v1/events?token=" + QString::fromLatin1(token)));
    sockets.push_back(std::move(ws));
  }
  Pump(10000, [&] { return events >= pages; });  // every page's hello
  events = 0;
  std::vector<std::unique_ptr<Client>> pool;
  for (int i = 0; i < clients; ++i) pool.push_back(std::make_unique<Client>(serve.port, fresh));
  std::vector<double> latencies;
  int sent = 0, failed = 0;
  for (auto _ : state) {
    const double cpu = CpuMs(serve.Pid());
    QElapsedTimer wall;
    wall.start();
    std::function<void(Client&)> next = [&](Client& c) {
      if (sent >= puts) return;
      const int n = sent++;
      auto started = std::make_shared<QElapsedTimer>();
      started->start();
      c.Send("PUT", "/api/v1/params", "{\"2560\":" + QByteArray::number(n % 80) + "}", token,
             [&, started, &c](int status, const QByteArray&) {
               latencies.push_back(static_cast<double>(started->nsecsElapsed()) / 1e6);
               failed += status != 200;
               next(c);
             });
    };
    for (auto& c : pool) next(*c);
    Pump(120000, [&] { return static_cast<int>(latencies.size()) >= puts; });
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double cpuPerPut = (CpuMs(serve.Pid()) - cpu) / puts;
    std::sort(latencies.begin(), latencies.end());
    state.counters["serve_cpu_ms_per_put"] = cpuPerPut;
    state.counters["p50_ms"] = latencies[latencies.size() / 2];
    state.counters["p99_ms"] = latencies[latencies.size() * 99 / 100];
    state.counters["puts_per_s"] = puts / seconds;
    state.counters["failed"] = failed;
  }
  if (pages > 0) {
    Pump(10000, [&] { return events >= static_cast<long>(pages) * puts; });
    state.counters["events_per_page"] = static_cast<double>(events) / pages;
  }
}
BENCHMARK(BM_ServePut)->ArgNames({"clients", "pages", "fresh"})->Args({1, 0, 0})->Args({8, 0, 0})->Args({1, 0, 1})
    ->Args({8, 0, 1})->Args({1, 50, 0})->Iterations(1)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
