// SPDX-License-Identifier: GPL-3.0-or-later
// `mirelune-cli serve` on a virtual amplifier as a child process of a test, with its own home,
// settings and runtime folders, and the HTTP helpers the remote's tests share.
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <functional>
#include <sys/prctl.h>
#include <sys/stat.h>

namespace mirelune::testing {

struct HttpReply {
  int status = 0;  // 0: no answer
  QByteArray body;
  QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

inline HttpReply Http(QNetworkAccessManager& net, const QByteArray& method, const QUrl& url,
                      const QByteArray& body = {}, const QByteArray& bearer = {}, int timeoutMs = 20000) {
  QNetworkRequest req(url);
  if (!body.isNull()) req.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
  if (!bearer.isEmpty()) req.setRawHeader("Authorization", "Bearer " + bearer);
  req.setTransferTimeout(timeoutMs);
  QNetworkReply* reply = net.sendCustomRequest(req, method, body);
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  if (!reply->isFinished()) loop.exec();
  HttpReply r;
  r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  r.body = reply->readAll();
  reply->deleteLater();
  return r;
}

// Polls `done` until it holds or `ms` have passed, running the event loop meanwhile.
inline bool PollUntil(int ms, const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QTest::qWait(50);
  }
  return true;
}

class ServeProcess {
 public:
  // Starts serve on virtual:NAME at a free loopback port; Error() says why it did not.
  ServeProcess(const QString& cli, const QString& name, const QStringList& extra = {}) : cli_(cli), name_(name) {
    env_ = QProcessEnvironment::systemEnvironment();
    const QString root = dir_.path();
    ::mkdir((root + "/run").toLocal8Bit().constData(), 0700);
    env_.insert("HOME", root);
    env_.insert("XDG_DATA_HOME", root + "/data");
    env_.insert("XDG_CONFIG_HOME", root + "/config");
    env_.insert("XDG_RUNTIME_DIR", root + "/run");
    env_.insert("LANG", "C.UTF-8");
    proc_.setProcessEnvironment(env_);
    proc_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    proc_.start(cli_, QStringList{"--device", "virtual:" + name_, "serve", "--listen", "127.0.0.1:0"} + extra);
    QByteArray out;
    const bool up = PollUntil(15000, [&] {
      out += proc_.readAllStandardOutput();
      return out.contains("Pairing link: ") && out.indexOf('\n', out.indexOf("Pairing link: ")) > 0 ||
             proc_.state() == QProcess::NotRunning;
    });
    const QString text = QString::fromUtf8(out);
    const auto url = QRegularExpression("URL: (\\S+)").match(text);
    const auto pin = QRegularExpression("PIN: (\\d{6})").match(text);
    const auto pair = QRegularExpression("#pair=([0-9a-f]+)").match(text);
    if (!up || !url.hasMatch() || !pin.hasMatch() || !pair.hasMatch()) {
      error_ = "serve did not start: " + text + QString::fromUtf8(proc_.readAllStandardError());
      return;
    }
    url_ = QUrl(url.captured(1));
    pin_ = pin.captured(1);
    pair_ = pair.captured(1);
  }
  ~ServeProcess() { Stop(); }

  void Stop() {
    if (proc_.state() == QProcess::NotRunning) return;
    proc_.terminate();
    if (!proc_.waitForFinished(10000)) {
      proc_.kill();
      proc_.waitForFinished(5000);
    }
  }

  // Runs mirelune-cli with ARGS on the same amplifier and environment; its exit status, its
  // standard output in `out`.
  int Cli(const QStringList& args, QByteArray* out = nullptr, QByteArray* err = nullptr) {
    QProcess p;
    p.setProcessEnvironment(env_);
    p.start(cli_, QStringList{"--device", "virtual:" + name_} + args);
    if (!p.waitForFinished(20000)) {
      p.kill();
      p.waitForFinished();
      return -1;
    }
    if (out) *out = p.readAllStandardOutput();
    if (err) *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  // The amplifier's value of `address`, asked through the serving process; -1 when not read.
  long Value(int address) {
    QByteArray out;
    if (Cli({"get", QString::number(address), "--json"}, &out) != 0) return -1;
    const QJsonObject o = QJsonDocument::fromJson(out).object();
    for (const auto& v : o.value("params").toArray()) return v.toObject().value("value").toInteger(-1);
    return -1;
  }

  QUrl At(const QString& path) const { return url_.resolved(QUrl(path)); }
  const QString& Error() const { return error_; }
  const QString& Pin() const { return pin_; }
  const QString& Pair() const { return pair_; }
  QUrl Url() const { return url_; }
  QProcess& process() { return proc_; }

 private:
  QTemporaryDir dir_;
  QProcessEnvironment env_;
  QProcess proc_;
  QString cli_, name_, error_, pin_, pair_;
  QUrl url_;
};

}  // namespace mirelune::testing
