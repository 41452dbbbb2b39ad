// SPDX-License-Identifier: GPL-3.0-or-later
// The room remote's page in a real browser: Debian's chromium, headless, driven by chromedriver
// over the W3C WebDriver protocol, against `mirelune-cli serve` on a virtual amplifier. The
// amplifier's side is read and changed with mirelune-cli itself, which goes through the serving
// process - so what is checked is the whole path: page, HTTP API, WebSocket events, owner,
// amplifier.
//
// Every wait polls with a deadline. The server, chromedriver and the browser sessions are owned
// by RAII members, so that they end on every way out of a test function; PR_SET_PDEATHSIG ends
// the server and chromedriver too when this program dies without unwinding. Screenshots of the
// phone-sized page are left in the build folder (remote-page*.png) to be looked at.
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "tests/remote/serve_process.h"

#include <csignal>
#include <functional>
#include <memory>
#include <optional>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");
const QString kChromedriver = QStringLiteral("/usr/bin/chromedriver");
constexpr int kMasterVolume = 2560;
constexpr int kMuteOffset = 250;

using mirelune::testing::HttpReply;
using mirelune::testing::PollUntil;

// One request, answered or given up after `timeoutMs` (30 s unless said).
HttpReply Request(QNetworkAccessManager& net, const QByteArray& method, const QUrl& url,
                  const QByteArray& body = {}, const QByteArray& bearer = {}, int timeoutMs = 30000) {
  return mirelune::testing::Http(net, method, url, body, bearer, timeoutMs);
}

// A child process that is ended when its owner goes, and by the kernel when this program dies.
class Child {
 public:
  Child() {
    proc_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  }
  ~Child() { Stop(); }
  QProcess& proc() { return proc_; }
  void Stop() {
    if (proc_.state() == QProcess::NotRunning) return;
    proc_.terminate();
    if (!proc_.waitForFinished(5000)) {
      proc_.kill();
      proc_.waitForFinished(5000);
    }
  }

 private:
  QProcess proc_;
};

QString FreePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return {};
  return QString::number(probe.serverPort());
}

// A browser session of chromedriver; deleting it closes the browser.
class Browser {
 public:
  Browser(QNetworkAccessManager& net, QUrl driver) : net_(net), driver_(std::move(driver)) {}
  ~Browser() {
    if (!id_.isEmpty()) Request(net_, "DELETE", At(""), {}, {}, 15000);
  }

  // Starts chromium as a phone-sized window in `lang`; the error text on failure.
  QString Open(const QString& lang, const QString& profileDir) {
    const QJsonArray args{"--headless=new", "--no-sandbox", "--disable-gpu",
                          "--window-size=412,915", "--lang=" + lang, "--accept-lang=" + lang,
                          "--user-data-dir=" + profileDir, "--no-first-run",
                          "--disable-extensions"};
    // chromedriver keeps a window at least 500 px wide: the phone's viewport is emulated.
    const QJsonObject metrics{{"width", 412}, {"height", 915}, {"pixelRatio", 1}};
    const QJsonObject options{{"binary", kChromium},
                              {"args", args},
                              {"prefs", QJsonObject{{"intl.accept_languages", lang}}},
                              {"mobileEmulation", QJsonObject{{"deviceMetrics", metrics}}}};
    const QJsonObject caps{{"browserName", "chrome"}, {"goog:chromeOptions", options}};
    const QJsonObject body{{"capabilities", QJsonObject{{"alwaysMatch", caps}}}};
    QUrl url = driver_;
    url.setPath("/session");
    const HttpReply r = Request(net_, "POST", url, QJsonDocument(body).toJson(), {}, 60000);
    id_ = r.json().value("value").toObject().value("sessionId").toString();
    if (id_.isEmpty()) return QString("new session: HTTP %1 %2").arg(r.status).arg(QString(r.body));
    return {};
  }

  bool Go(const QString& url) {
    return Command("POST", "/url", QJsonObject{{"url", url}}).has_value();
  }

  // Runs `script` (a function body; arguments[i]) in the page: its value, or nothing when the
  // command failed (lastError() says why).
  std::optional<QJsonValue> Run(const QString& script, const QJsonArray& args = {}) {
    return Command("POST", "/execute/sync", QJsonObject{{"script", script}, {"args", args}});
  }
  QString Text(const QString& script, const QJsonArray& args = {}) {
    const auto v = Run(script, args);
    return v ? v->toVariant().toString() : QString();
  }

  QString Element(const QString& css) {
    const auto v = Command("POST", "/element",
                           QJsonObject{{"using", "css selector"}, {"value", css}});
    return v ? v->toObject().value("element-6066-11e4-a52e-4f735466cecf").toString() : QString();
  }
  bool Type(const QString& element, const QString& text) {
    return Command("POST", "/element/" + element + "/value", QJsonObject{{"text", text}})
        .has_value();
  }
  bool Click(const QString& element) {
    return Command("POST", "/element/" + element + "/click", QJsonObject{}).has_value();
  }
  QByteArray Screenshot() {
    const auto v = Command("GET", "/screenshot", std::nullopt);
    return v ? QByteArray::fromBase64(v->toString().toLatin1()) : QByteArray();
  }

  const QString& lastError() const { return lastError_; }

 private:
  QUrl At(const QString& tail) const {
    QUrl url = driver_;
    url.setPath("/session/" + id_ + tail);
    return url;
  }
  std::optional<QJsonValue> Command(const QByteArray& method, const QString& tail,
                                    const std::optional<QJsonObject>& body) {
    const HttpReply r = Request(net_, method, At(tail),
                                body ? QJsonDocument(*body).toJson() : QByteArray());
    const QJsonObject reply = r.json();
    if (r.status != 200) {
      lastError_ = QString("%1 %2: HTTP %3 %4").arg(QString(method), tail).arg(r.status)
                       .arg(QString(r.body.left(500)));
      return std::nullopt;
    }
    return reply.value("value");
  }

  QNetworkAccessManager& net_;
  QUrl driver_;
  QString id_;
  QString lastError_;
};

// Reads of the page, in one place so that every test function looks at the same elements.
const QString kSlider =
    QStringLiteral("document.querySelector('input[type=range][data-address=\"%1\"]')");

QString SliderValueScript(int address) {
  return "const s = " + kSlider.arg(address) + "; return s ? s.value : null;";
}
QString ValueTextScript(int address) {
  return QString("const v = document.querySelector('[data-value-for=\"%1\"]');"
                 " return v ? v.textContent.trim() : null;")
      .arg(address);
}
QString NameScript(int address) {
  return QString("const s = %1; if (!s) return null;"
                 " const l = document.querySelector('label[for=\"' + s.id + '\"]');"
                 " return l ? l.textContent.trim() : null;")
      .arg(kSlider.arg(address));
}

}  // namespace

class BrowserTest : public QObject {
  Q_OBJECT

 private:
  QNetworkAccessManager net_;
  std::unique_ptr<QTemporaryDir> home_;
  QProcessEnvironment env_;
  QString device_;
  Child server_;
  Child driver_;
  QUrl driverUrl_;
  QString pageUrl_, pin_, pairLink_;
  QByteArray apiToken_;  // the test's own staff session, to read what the page should show
  std::unique_ptr<Browser> english_;
  QString refusal_;  // the server's text for a wrong secret

  // mirelune-cli on the served amplifier: exit code and standard output.
  std::pair<int, QByteArray> Cli(const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env_);
    p.start(QStringLiteral(MIRELUNE_CLI), QStringList{"--device", device_} + args);
    if (!p.waitForFinished(30000)) {
      p.kill();
      p.waitForFinished();
      return {-1, {}};
    }
    if (p.exitStatus() != QProcess::NormalExit) return {-1, {}};
    return {p.exitCode(), p.readAllStandardOutput() + p.readAllStandardError()};
  }

  // The amplifier's value and text of `address`, read through the serving process.
  std::optional<std::pair<int, QString>> AmpValue(int address) {
    const auto [code, out] = Cli({"get", QString::number(address), "--json"});
    if (code != 0) return std::nullopt;
    const QJsonArray params = QJsonDocument::fromJson(out).object().value("params").toArray();
    for (const QJsonValue& p : params) {
      const QJsonObject o = p.toObject();
      if (o.value("address").toInt() == address)
        return std::make_pair(o.value("value").toInt(), o.value("text").toString());
    }
    return std::nullopt;
  }

  QUrl Api(const QString& path) const {
    QUrl url(pageUrl_);
    url.setPath(path);
    return url;
  }

  // PARAM of `address` as the server gives it to staff.
  QJsonObject ServerParam(int address) {
    const HttpReply r = Request(net_, "GET", Api(QString("/api/v1/params/%1").arg(address)), {},
                                apiToken_);
    return r.status == 200 ? r.json() : QJsonObject();
  }

  // The slider position and value text the page must show for the amplifier's current value.
  struct Shown {
    QString position;
    QString text;
  };
  std::optional<Shown> Expected(int address) {
    const QJsonObject p = ServerParam(address);
    if (p.isEmpty() || !p.value("value").isDouble()) return std::nullopt;
    const int v = p.value("value").toInt();
    const bool muted = p.value("mute_offset").toInt() == kMuteOffset && v >= kMuteOffset;
    const QString unit = p.value("unit").toString();
    QString text = p.value("text").toString();
    if (!unit.isEmpty() && !text.endsWith(unit)) text += " " + unit;
    // A level in % up to 200 sits where the console's slider puts it (above 100 at half pace).
    const int level = muted ? v - kMuteOffset : v;
    const bool doubles = unit == "%" && p.value("min").toInt() == 0 && p.value("max").toInt() == 200;
    return Shown{QString::number(doubles && level > 100 ? (level + 100) / 2 : level), text};
  }

  // Waits until the page shows what the server holds for `address`; the last difference seen
  // on failure.
  QString WaitShowsServer(Browser& b, int address, int ms = 20000) {
    QString last;
    const bool ok = PollUntil(ms, [&] {
      const auto want = Expected(address);
      const QString pos = b.Text(SliderValueScript(address));
      const QString text = b.Text(ValueTextScript(address));
      last = QString("page %1 / \"%2\", server %3 / \"%4\"")
                 .arg(pos, text, want ? want->position : "?", want ? want->text : "?");
      return want && pos == want->position && text == want->text;
    });
    return ok ? QString() : last;
  }

  // Moves the slider as a finger does: its value, then 'input' and 'change'.
  bool Drag(Browser& b, int address, int position) {
    const QString script =
        "const s = " + kSlider.arg(address) +
        "; if (!s) return false; s.value = String(arguments[0]);"
        " s.dispatchEvent(new Event('input', {bubbles: true}));"
        " s.dispatchEvent(new Event('change', {bubbles: true})); return true;";
    const auto r = b.Run(script, QJsonArray{position});
    return r && r->toBool();
  }

  // Two positions inside the slider's range, both different from `avoid`.
  std::pair<int, int> TwoPositions(Browser& b, int address, int avoid) {
    const int lo = b.Text("return " + kSlider.arg(address) + ".min;").toInt();
    const int hi = b.Text("return " + kSlider.arg(address) + ".max;").toInt();
    QList<int> picks;
    for (int p : {lo + (hi - lo) / 3, lo + (2 * (hi - lo)) / 3, lo, hi})
      if (p != avoid && !picks.contains(p)) picks << p;
    return {picks.value(0), picks.value(1)};
  }

  void WriteScreenshot(Browser& b, const QString& name) {
    const QByteArray png = b.Screenshot();
    QVERIFY2(png.startsWith("\x89PNG"), qPrintable(b.lastError()));
    QFile f(QStringLiteral(MIRELUNE_BUILD_DIR) + "/" + name);
    QVERIFY2(f.open(QIODevice::WriteOnly) && f.write(png) == png.size(),
             qPrintable(f.fileName()));
    qInfo("screenshot: %s", qPrintable(f.fileName()));
  }

 private slots:
  void initTestCase() {
    if (!QFile::exists(kChromium) || !QFile::exists(kChromedriver))
      QSKIP("needs /usr/bin/chromium and /usr/bin/chromedriver (Debian: chromium "
            "chromium-driver)");
    QVERIFY2(QFile::exists(QStringLiteral(MIRELUNE_CLI)), MIRELUNE_CLI);

    // A private home: the virtual amplifier's memory, the mode folder and the owner's socket
    // start empty and are this test's alone.
    const QString base = qEnvironmentVariable("MIRELUNE_TEST_TMP", QDir::tempPath());
    QDir().mkpath(base);
    home_ = std::make_unique<QTemporaryDir>(base + "/remote_browser-XXXXXX");
    QVERIFY(home_->isValid());
    const QString h = home_->path();
    for (const char* d : {"data", "config", "runtime", "chrome-en", "chrome-zh"})
      QVERIFY(QDir().mkpath(h + "/" + d));
    QVERIFY(::chmod(QFile::encodeName(h + "/runtime").constData(), 0700) == 0);
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("HOME", h);
    env_.insert("XDG_DATA_HOME", h + "/data");
    env_.insert("XDG_CONFIG_HOME", h + "/config");
    env_.insert("XDG_RUNTIME_DIR", h + "/runtime");
    device_ = QString("virtual:browser%1").arg(::getpid());

    server_.proc().setProcessEnvironment(env_);
    server_.proc().setProcessChannelMode(QProcess::SeparateChannels);
    server_.proc().start(QStringLiteral(MIRELUNE_CLI),
                         {"--device", device_, "serve", "--listen", "127.0.0.1:0"});
    QVERIFY2(server_.proc().waitForStarted(10000), qPrintable(server_.proc().errorString()));
    QByteArray out;
    const QRegularExpression urlRe("^URL: (http://\\S+)$", QRegularExpression::MultilineOption);
    const QRegularExpression pinRe("^PIN: (\\d{6})$", QRegularExpression::MultilineOption);
    const QRegularExpression pairRe("^Pairing link: (http://\\S+#pair=\\S+)$",
                                    QRegularExpression::MultilineOption);
    const bool announced = PollUntil(30000, [&] {
      server_.proc().waitForReadyRead(50);
      out += server_.proc().readAllStandardOutput();
      const QString s = QString::fromUtf8(out);
      return (urlRe.match(s).hasMatch() && pinRe.match(s).hasMatch() &&
              pairRe.match(s).hasMatch()) ||
             server_.proc().state() == QProcess::NotRunning;
    });
    const QString said = QString::fromUtf8(out);
    QVERIFY2(announced && server_.proc().state() == QProcess::Running,
             qPrintable("serve said: " + said + " / " +
                        QString::fromUtf8(server_.proc().readAllStandardError())));
    pageUrl_ = urlRe.match(said).captured(1);
    pin_ = pinRe.match(said).captured(1);
    pairLink_ = pairRe.match(said).captured(1);
    QVERIFY2(pairLink_.startsWith(pageUrl_), qPrintable(said));

    const HttpReply login = Request(net_, "POST", Api("/api/v1/session"),
                                    QJsonDocument(QJsonObject{{"pin", pin_}}).toJson());
    QVERIFY2(login.status == 200, qPrintable(QString("PIN sign-in: HTTP %1 %2")
                                                 .arg(login.status).arg(QString(login.body))));
    apiToken_ = login.json().value("token").toString().toLatin1();
    QVERIFY(!apiToken_.isEmpty());

    const QString port = FreePort();
    QVERIFY(!port.isEmpty());
    driver_.proc().setProcessEnvironment(env_);
    driver_.proc().setProcessChannelMode(QProcess::MergedChannels);
    driver_.proc().start(kChromedriver, {"--port=" + port});
    QVERIFY2(driver_.proc().waitForStarted(10000), qPrintable(driver_.proc().errorString()));
    driverUrl_ = QUrl("http://127.0.0.1:" + port);
    QUrl status = driverUrl_;
    status.setPath("/status");
    QVERIFY2(PollUntil(20000, [&] {
               return Request(net_, "GET", status, {}, {}, 2000)
                   .json().value("value").toObject().value("ready").toBool();
             }),
             qPrintable("chromedriver: " + QString(driver_.proc().readAll())));
  }

  // The pairing link signs the phone in: the slider shows the amplifier's value, the code
  // leaves the address bar, the live events are connected.
  void pairingLinkShowsTheAmplifier() {
    english_ = std::make_unique<Browser>(net_, driverUrl_);
    const QString err = english_->Open("en-US", home_->path() + "/chrome-en");
    QVERIFY2(err.isEmpty(), qPrintable(err));
    QVERIFY2(english_->Go(pairLink_), qPrintable(english_->lastError()));

    const auto amp = AmpValue(kMasterVolume);
    QVERIFY(amp);
    const QString shown = WaitShowsServer(*english_, kMasterVolume);
    QVERIFY2(shown.isEmpty(), qPrintable(shown));
    QCOMPARE(english_->Text(SliderValueScript(kMasterVolume)),
             QString::number(amp->first >= kMuteOffset ? amp->first - kMuteOffset : amp->first));

    QCOMPARE(english_->Text("return location.hash;"), QString());
    QVERIFY(!english_->Text("return localStorage.getItem('mirelune.remote.token') || '';")
                 .isEmpty());
    QVERIFY2(PollUntil(10000, [&] {
               return english_->Text("return document.getElementById('state').dataset.live;") ==
                      "online";
             }),
             qPrintable(english_->Text("return document.getElementById('state').textContent;")));
    QCOMPARE(english_->Text("return document.getElementById('state').dataset.amp;"),
             QString("online"));
    // Nothing comes from outside the amplifier host: the page works on a LAN without internet.
    QCOMPARE(english_->Text("return performance.getEntriesByType('resource')"
                            ".map(e => e.name).filter(n => !n.startsWith(location.origin))"
                            ".join(' ');"),
             QString());
    // The language of the browser: English names.
    QCOMPARE(english_->Text(NameScript(kMasterVolume)),
             ServerParam(kMasterVolume).value("name_en").toString());
    // A pairing code works once.
    const QString code = pairLink_.section("#pair=", 1);
    const HttpReply again = Request(net_, "POST", Api("/api/v1/session"),
                                    QJsonDocument(QJsonObject{{"pair", code}}).toJson());
    QCOMPARE(again.status, 401);
    refusal_ = again.json().value("error").toString();
    QVERIFY(!refusal_.isEmpty());
  }

  // A drag reaches the amplifier, and a change made elsewhere moves the slider.
  void sliderAndAmplifierFollowEachOther() {
    QVERIFY(english_);
    const auto before = AmpValue(kMasterVolume);
    QVERIFY(before);
    const auto [mine, theirs] = TwoPositions(*english_, kMasterVolume, before->first);
    QVERIFY(mine != theirs);

    QVERIFY2(Drag(*english_, kMasterVolume, mine), qPrintable(english_->lastError()));
    std::optional<std::pair<int, QString>> now;
    QVERIFY2(PollUntil(20000, [&] {
               now = AmpValue(kMasterVolume);
               return now && now->first == mine;
             }),
             qPrintable(QString("amplifier holds %1, the slider was moved to %2")
                            .arg(now ? now->first : -1).arg(mine)));
    QString shown = WaitShowsServer(*english_, kMasterVolume);
    QVERIFY2(shown.isEmpty(), qPrintable(shown));

    const auto [code, out] = Cli({"set", QString("%1=%2").arg(kMasterVolume).arg(theirs)});
    QVERIFY2(code == 0, out.constData());
    QVERIFY2(PollUntil(20000, [&] {
               return english_->Text(SliderValueScript(kMasterVolume)) ==
                      QString::number(theirs);
             }),
             qPrintable("slider at " + english_->Text(SliderValueScript(kMasterVolume))));
    shown = WaitShowsServer(*english_, kMasterVolume);
    QVERIFY2(shown.isEmpty(), qPrintable(shown));
    const auto after = AmpValue(kMasterVolume);
    QVERIFY(after && after->first == theirs);
    QVERIFY2(english_->Text(ValueTextScript(kMasterVolume)).startsWith(after->second),
             qPrintable(english_->Text(ValueTextScript(kMasterVolume)) + " / " + after->second));
    WriteScreenshot(*english_, "remote-page.png");
  }

  // A fast drag does not flood the server: one request at a time per slider, and the last
  // position is the one that stays.
  void dragSendsOneRequestAtATime() {
    QVERIFY(english_);
    const int lo = english_->Text("return " + kSlider.arg(kMasterVolume) + ".min;").toInt();
    const int hi = english_->Text("return " + kSlider.arg(kMasterVolume) + ".max;").toInt();
    QVERIFY(hi - lo >= 10);
    const int last = lo + (hi - lo) / 2 + 1;
    // Counts the page's PUTs and the most of them under way at once, then drags through
    // every position from the top down to `last` within one task, as fast as input comes.
    const QString script =
        "const w = window; w.__puts = 0; w.__open = 0; w.__most = 0;"
        " if (!w.__realFetch) w.__realFetch = w.fetch;"
        " w.fetch = (url, init) => {"
        "   const put = init && init.method === 'PUT';"
        "   if (put) { w.__puts++; w.__open++; w.__most = Math.max(w.__most, w.__open); }"
        "   const done = () => { if (put) w.__open--; };"
        "   return w.__realFetch(url, init).then(r => { done(); return r; },"
        "                                        e => { done(); throw e; });"
        " };"
        " const s = " + kSlider.arg(kMasterVolume) + ";"
        " for (let v = arguments[0]; v >= arguments[1]; v--) {"
        "   s.value = String(v); s.dispatchEvent(new Event('input', {bubbles: true})); }"
        " s.dispatchEvent(new Event('change', {bubbles: true})); return w.__puts;";
    QVERIFY2(english_->Run(script, QJsonArray{hi, last}), qPrintable(english_->lastError()));
    std::optional<std::pair<int, QString>> now;
    QVERIFY2(PollUntil(20000, [&] {
               now = AmpValue(kMasterVolume);
               return now && now->first == last &&
                      english_->Text("return window.__open;") == "0";
             }),
             qPrintable(QString("amplifier holds %1, the drag ended at %2")
                            .arg(now ? now->first : -1).arg(last)));
    QCOMPARE(english_->Text("return window.__most;"), QString("1"));
    const int puts = english_->Text("return window.__puts;").toInt();
    QVERIFY2(puts >= 1 && puts <= 3,
             qPrintable(QString("%1 PUTs for a drag over %2 positions")
                            .arg(puts).arg(hi - last + 1)));
    const QString shown = WaitShowsServer(*english_, kMasterVolume);
    QVERIFY2(shown.isEmpty(), qPrintable(shown));
    QVERIFY(english_->Run("window.fetch = window.__realFetch; return true;"));
  }

  // A parameter whose mute flag travels in its value: the page says it is muted, the slider
  // shows the level, and moving it changes the level and keeps the flag.
  void mutedSliderKeepsTheMute() {
    QVERIFY(english_);
    const QJsonArray params = QJsonDocument::fromJson(
        Request(net_, "GET", Api("/api/v1/params"), {}, apiToken_).body)
        .object().value("params").toArray();
    QJsonObject muteable;
    for (const QJsonValue& p : params)
      if (p.toObject().value("mute_offset").toInt() == kMuteOffset &&
          p.toObject().value("max").toInt() - p.toObject().value("min").toInt() >= 4) {
        muteable = p.toObject();
        break;
      }
    if (muteable.isEmpty()) QSKIP("the staff see no parameter with a mute flag");
    const int address = muteable.value("address").toInt();
    const int lo = muteable.value("min").toInt(), hi = muteable.value("max").toInt();
    const int level = lo + (hi - lo) / 4, moved = lo + (hi - lo) / 2;
    const QString badge =
        QString("const m = document.querySelector('[data-mute-for=\"%1\"]');"
                " return m && !m.hidden && m.offsetParent !== null ? 'shown' : 'hidden';")
            .arg(address);

    QCOMPARE(Cli({"set", QString("%1=%2").arg(address).arg(level + kMuteOffset)}).first, 0);
    QVERIFY2(PollUntil(20000, [&] {
               return english_->Text(SliderValueScript(address)) == QString::number(level) &&
                      english_->Text(badge) == "shown";
             }),
             qPrintable(QString("slider %1, mute mark %2")
                            .arg(english_->Text(SliderValueScript(address)),
                                 english_->Text(badge))));

    QVERIFY(Drag(*english_, address, moved));
    std::optional<std::pair<int, QString>> now;
    QVERIFY2(PollUntil(20000, [&] {
               now = AmpValue(address);
               return now && now->first == moved + kMuteOffset;
             }),
             qPrintable(QString("amplifier holds %1 after a drag to %2 while muted")
                            .arg(now ? now->first : -1).arg(moved)));
    QCOMPARE(english_->Text(badge), QString("shown"));
    QCOMPARE(english_->Text(SliderValueScript(address)), QString::number(moved));
    QVERIFY(english_->Run("document.querySelector('[data-param=\"" + QString::number(address) +
                          "\"]').scrollIntoView({block: 'center'}); return true;"));
    WriteScreenshot(*english_, "remote-page-muted.png");

    QCOMPARE(Cli({"set", QString("%1=%2").arg(address).arg(moved)}).first, 0);
    QVERIFY2(PollUntil(20000, [&] { return english_->Text(badge) == "hidden"; }),
             "the mute mark stays after the mute was lifted");
    QCOMPARE(english_->Text(SliderValueScript(address)), QString::number(moved));
  }

  // A microphone volume (0..200 %) moves as the console's slider does: 100 % at two thirds of
  // the travel, the last third doubling it - not at mid-travel, where it read as full volume.
  void aLevelInPercentMovesAsTheConsoleSliderDoes() {
    QVERIFY(english_);
    constexpr int kMicVolume = 276;
    QCOMPARE(english_->Text("return " + kSlider.arg(kMicVolume) + ".max;"), QString("150"));
    QCOMPARE(Cli({"set", QString("%1=100").arg(kMicVolume)}).first, 0);
    QVERIFY2(PollUntil(20000, [&] { return english_->Text(SliderValueScript(kMicVolume)) == "100"; }),
             qPrintable("slider at " + english_->Text(SliderValueScript(kMicVolume))));
    QCOMPARE(Cli({"set", QString("%1=160").arg(kMicVolume)}).first, 0);
    QVERIFY2(PollUntil(20000, [&] { return english_->Text(SliderValueScript(kMicVolume)) == "130"; }),
             qPrintable("slider at " + english_->Text(SliderValueScript(kMicVolume))));
    QVERIFY(Drag(*english_, kMicVolume, 140));
    std::optional<std::pair<int, QString>> now;
    QVERIFY2(PollUntil(20000, [&] {
               now = AmpValue(kMicVolume);
               return now && now->first == 180;
             }),
             qPrintable(QString("amplifier holds %1 after a drag to position 140").arg(now ? now->first : -1)));
    QCOMPARE(Cli({"set", QString("%1=100").arg(kMicVolume)}).first, 0);
  }

  // A slider under the user's finger does not jump to changes that come in meanwhile; when the
  // finger lifts it shows what the amplifier holds.
  void heldSliderWaitsForTheFinger() {
    QVERIFY(english_);
    // A second parameter whose change tells that the events have come through.
    const QJsonArray params = QJsonDocument::fromJson(
        Request(net_, "GET", Api("/api/v1/params"), {}, apiToken_).body)
        .object().value("params").toArray();
    int other = -1;
    for (const QJsonValue& p : params) {
      const QJsonObject o = p.toObject();
      if (o.value("address").toInt() != kMasterVolume && o.value("value").isDouble() &&
          o.value("max").toInt() > o.value("min").toInt()) {
        other = o.value("address").toInt();
        break;
      }
    }
    if (other < 0) QSKIP("the staff see no second plain parameter");

    const QString held = english_->Text(SliderValueScript(kMasterVolume));
    const auto [elsewhere, unused] = TwoPositions(*english_, kMasterVolume, held.toInt());
    Q_UNUSED(unused);
    const auto otherNow = AmpValue(other);
    QVERIFY(otherNow);
    const auto [otherTo, unused2] = TwoPositions(*english_, other, otherNow->first);
    Q_UNUSED(unused2);
    QVERIFY(english_->Run("const s = " + kSlider.arg(kMasterVolume) +
                          "; s.dispatchEvent(new PointerEvent('pointerdown', {bubbles: true}));"
                          " return true;"));
    QCOMPARE(Cli({"set", QString("%1=%2").arg(kMasterVolume).arg(elsewhere)}).first, 0);
    QCOMPARE(Cli({"set", QString("%1=%2").arg(other).arg(otherTo)}).first, 0);
    // The events come in order: once the second parameter moved, the first change is in too.
    const QString otherShown = WaitShowsServer(*english_, other);
    QVERIFY2(otherShown.isEmpty(), qPrintable(otherShown));
    QCOMPARE(english_->Text(SliderValueScript(kMasterVolume)), held);

    QVERIFY(english_->Run("const s = " + kSlider.arg(kMasterVolume) +
                          "; s.dispatchEvent(new PointerEvent('pointerup', {bubbles: true}));"
                          " return true;"));
    const QString shown = WaitShowsServer(*english_, kMasterVolume, 5000);
    QVERIFY2(shown.isEmpty(), qPrintable(shown));
    QCOMPARE(english_->Text(SliderValueScript(kMasterVolume)), QString::number(elsewhere));
  }

  // The mode buttons carry the amplifier's mode names and recall a mode.
  void modeButtonRecallsTheMode() {
    QVERIFY(english_);
    const QJsonObject device =
        Request(net_, "GET", Api("/api/v1/device"), {}, apiToken_).json();
    if (!device.value("can_load_modes").toBool()) QSKIP("staff may not recall modes");
    const auto [code, out] = Cli({"info", "--json"});
    QVERIFY2(code == 0, out.constData());
    const QJsonObject info = QJsonDocument::fromJson(out).object();
    const int current = info.value("current_mode").toInt();
    const int target = current == 3 ? 4 : 3;
    const QJsonArray names = info.value("modes").toArray();
    const QString name = names.at(target - 1).isObject()
                             ? names.at(target - 1).toObject().value("name").toString()
                             : names.at(target - 1).toString();
    const QString button = QString("button[data-mode=\"%1\"]").arg(target);
    QVERIFY2(PollUntil(10000, [&] {
               return english_->Text("return document.querySelector('" + button +
                                     "')?.textContent || '';").contains(name);
             }),
             qPrintable(button + " should name " + name));
    QCOMPARE(english_->Text("return document.querySelector('button[data-mode=\"" +
                            QString::number(current) + "\"]').getAttribute('aria-pressed');"),
             QString("true"));

    const QString el = english_->Element(button);
    QVERIFY2(!el.isEmpty(), qPrintable(english_->lastError()));
    QVERIFY2(english_->Click(el), qPrintable(english_->lastError()));
    int seen = -1;
    QVERIFY2(PollUntil(20000, [&] {
               const auto r = Cli({"info", "--json"});
               seen = QJsonDocument::fromJson(r.second).object().value("current_mode").toInt();
               return seen == target;
             }),
             qPrintable(QString("current mode %1").arg(seen)));
    QVERIFY(PollUntil(10000, [&] {
      return english_->Text("return document.querySelector('" + button +
                            "').getAttribute('aria-pressed');") == "true";
    }));
    // The recalled mode's values reach the sliders.
    const QString shown = WaitShowsServer(*english_, kMasterVolume);
    QVERIFY2(shown.isEmpty(), qPrintable(shown));
    QVERIFY(english_->Run("document.getElementById('modes').scrollIntoView({block: 'end'});"
                          " return true;"));
    WriteScreenshot(*english_, "remote-page-modes.png");
  }

  // Without a token the page asks for the PIN; a wrong one shows the server's refusal, the
  // right one opens the page - here in Chinese.
  void pinFormInChinese() {
    Browser zh(net_, driverUrl_);
    const QString err = zh.Open("zh-CN", home_->path() + "/chrome-zh");
    QVERIFY2(err.isEmpty(), qPrintable(err));
    QVERIFY2(zh.Go(pageUrl_), qPrintable(zh.lastError()));
    QVERIFY2(PollUntil(20000, [&] {
               return zh.Text("const f = document.getElementById('pin-form');"
                              " return f && f.offsetParent !== null ? 'shown' : '';") ==
                      "shown";
             }),
             "the PIN form is not shown");
    QCOMPARE(zh.Text("return document.getElementById('pin').getAttribute('inputmode');"),
             QString("numeric"));

    const QString pin = zh.Element("#pin");
    const QString submit = zh.Element("#pin-submit");
    QVERIFY2(!pin.isEmpty() && !submit.isEmpty(), qPrintable(zh.lastError()));
    const QString wrong = pin_ == "000000" ? "111111" : "000000";
    QVERIFY(zh.Type(pin, wrong));
    QVERIFY(zh.Click(submit));
    // The page's own sentence, once: not the server's English words under it.
    QVERIFY2(PollUntil(10000, [&] {
               return !zh.Text("return document.getElementById('login-error').textContent;")
                           .isEmpty();
             }),
             "no refusal shown for a wrong PIN");
    QCOMPARE(zh.Text("return document.getElementById('login-error').textContent;"),
             QString::fromUtf8("PIN 码不正确。"));
    QCOMPARE(zh.Text("return document.getElementById('login-detail').textContent;"), QString());
    QCOMPARE(zh.Text("return document.title;"), QString::fromUtf8("房间遥控"));
    QCOMPARE(zh.Text("return localStorage.getItem('mirelune.remote.token') || '';"), QString());
    WriteScreenshot(zh, "remote-page-pin-zh.png");

    QVERIFY(zh.Run("document.getElementById('pin').value = ''; return true;"));
    QVERIFY(zh.Type(pin, pin_));
    QVERIFY(zh.Click(submit));
    const QString shown = WaitShowsServer(zh, kMasterVolume);
    QVERIFY2(shown.isEmpty(), qPrintable(shown));
    const QString chinese = ServerParam(kMasterVolume).value("name").toString();
    QVERIFY(!chinese.isEmpty());
    QCOMPARE(zh.Text(NameScript(kMasterVolume)), chinese);
    QCOMPARE(zh.Text("return document.documentElement.lang;"), QString("zh-CN"));
    WriteScreenshot(zh, "remote-page-zh.png");
  }

  void cleanupTestCase() {
    english_.reset();
    driver_.Stop();
    server_.Stop();
  }
};

QTEST_GUILESS_MAIN(BrowserTest)
#include "browser_test.moc"
