// SPDX-License-Identifier: GPL-3.0-or-later
// The link log through the frame's menu entry "记录通信日志…" on the virtual amplifier in
// virtual time: what the file holds after the start-up read (every frame on the wire, in order,
// with the scheduler's times), what is left as it was when the user cancels, and how a file
// that cannot be opened or written is told.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>

#include "link/frame_codec.h"
#include "link/reply_shape.h"
#include "mirelune/version.h"
#include "platform/scripted_file_dialogs.h"
#include "ui/session/link_log.h"
#include "tests/ui/console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;

namespace {

struct Line {
  int64_t ms;
  bool sent;
  std::string hex;
};

QString TestFolder() {
  const QByteArray tmp = qgetenv("MIRELUNE_TEST_TMP");
  const QString dir =
      (tmp.isEmpty() ? QString(MIRELUNE_BUILD_DIR) + "/test-tmp" : QString(tmp)) + "/link-log";
  QDir().mkpath(dir);
  return dir;
}

// The file's header and its frame lines; a line of any other form fails the test. With
// `cutTail`, the file may end inside a line (a write that failed half way), which is dropped.
bool ReadLog(const QString& path, QString& header, std::vector<Line>& lines, bool cutTail = false) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  QStringList text = QString::fromUtf8(f.readAll()).split('\n');
  if (!cutTail && text.back() != "") return false;  // every line ends with its newline
  text.removeLast();
  if (text.isEmpty()) return false;
  header = text.front();
  // A parameter change may carry its name and value after "  # ".
  static const QRegularExpression form(R"(^ *(\d+) ([<>]) ((?:[0-9A-F]{2} )*[0-9A-F]{2})(?:  # \S.*)?$)");
  for (qsizetype i = 1; i < text.size(); ++i) {
    const QRegularExpressionMatch m = form.match(text[i]);
    if (!m.hasMatch()) {
      qWarning("not a log line: '%s'", qPrintable(text[i]));
      return false;
    }
    lines.push_back({m.captured(1).toLongLong(), m.captured(2) == ">", m.captured(3).toStdString()});
  }
  return true;
}

// The hex of a reply's payload text, as it stands inside a line.
std::string HexOf(const std::string& text) {
  return HexBytes(std::vector<uint8_t>(text.begin(), text.end()));
}

ScriptedFileDialogs& ScriptDialogs(Console& c, const QString& answer) {
  auto dialogs = std::make_unique<ScriptedFileDialogs>();
  dialogs->answers.push_back(answer.toStdString());
  ScriptedFileDialogs& kept = *dialogs;
  c.frame->SetFileDialogs(std::move(dialogs));
  return kept;
}

// Files of this process may grow to `bytes` only, while it lives; a write past that fails with
// EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
  bool ok_ = false;
};

}  // namespace

class LinkLogTest : public QObject {
  Q_OBJECT

 private slots:
  void menuEntryRecordsTheStartUpRead();
  void restartingBeginsANewFileAtTimeZero();
  void cancellingTheDialogChangesNothing();
  void aFileThatCannotBeOpenedIsTold_data();
  void aFileThatCannotBeOpenedIsTold();
  void aWriteThatFailsStopsTheRecordingAndIsTold();
};

void LinkLogTest::menuEntryRecordsTheStartUpRead() {
  const QString path = TestFolder() + "/start-up.log";
  QFile::remove(path);
  // The amplifier answers 20 ms late and misses the first search, as one still starting does.
  Console c("delay=20,drop=1");
  ScriptedFileDialogs& dialogs = ScriptDialogs(c, path);
  // Whatever watched the link before keeps seeing every frame while the log records.
  int passedOn = 0;
  c.link().onTrace = [&](bool, const std::vector<uint8_t>&) { ++passedOn; };

  QAction* entry = c.frame->MenuItem("CmdLinkLog");
  QVERIFY(entry);
  QVERIFY(c.frame->findChild<QMenu*>("mnuDevice")->actions().contains(entry));
  QCOMPARE(entry->text(), QString::fromUtf8("记录通信日志…"));
  QVERIFY(entry->isCheckable() && !entry->isChecked());
  const int64_t startMs = c.scheduler.NowMs();
  entry->trigger();
  QCOMPARE(dialogs.asked, std::vector<std::string>{"记录通信日志"});
  QVERIFY(dialogs.askedFilters.front().find("(*.log") != std::string::npos);
  QVERIFY(entry->isChecked());

  QVERIFY(c.Synced());
  // Two more seconds online: the sync byte goes out and comes back once a second.
  c.RunUntil([] { return false; }, 2000);
  const int64_t stopMs = c.scheduler.NowMs() - startMs;
  const int seenWhileRecording = passedOn;
  entry->trigger();
  QVERIFY(!entry->isChecked());
  QCOMPARE(dialogs.asked.size(), size_t(1));  // stopping asks nothing
  const qint64 sizeAtStop = QFileInfo(path).size();

  c.RunUntil([] { return false; }, 2000);
  QCOMPARE(QFileInfo(path).size(), sizeAtStop);  // nothing after the stop
  QVERIFY(passedOn > seenWhileRecording);        // the earlier hook is back
  QVERIFY(c.messages.messages.empty());

  QString header;
  std::vector<Line> lines;
  QVERIFY(ReadLog(path, header, lines));
  QVERIFY2(header.startsWith(QString("# mirelune ") + kVersion + " "), qPrintable(header));
  QCOMPARE(int(lines.size()), seenWhileRecording);

  // Times run from the start of the recording and never back.
  for (size_t i = 0; i < lines.size(); ++i) {
    QVERIFY(lines[i].ms >= 0 && lines[i].ms <= stopMs);
    if (i > 0) QVERIFY(lines[i].ms >= lines[i - 1].ms);
  }
  // It opens with a search; the first frame received is the amplifier's identifier, 20 ms
  // after the search it answers.
  QVERIFY(lines.size() > 2);
  QVERIFY(lines[0].sent);
  QCOMPARE(lines[0].hex, HexBytes(SearchFrame()));
  QVERIFY(lines[0].ms > 0 && lines[0].ms <= Link::kSearchEveryTicks * Link::kTickMs);
  size_t identifier = 0;
  while (identifier < lines.size() && lines[identifier].sent) ++identifier;
  QVERIFY(identifier > 0 && identifier < lines.size());
  QVERIFY2(lines[identifier].hex.find(HexOf(kDeviceIdentifier)) != std::string::npos,
           lines[identifier].hex.c_str());
  QCOMPARE(lines[identifier - 1].hex, HexBytes(SearchFrame()));
  QCOMPARE(lines[identifier].ms - lines[identifier - 1].ms, int64_t(20));

  // Every command frame the amplifier received is in the log, in order, and each is answered
  // by the next frame received, 20 ms after it went out.
  std::vector<std::string> commands;
  for (const auto& frame : c.amp().CommandLog()) commands.push_back(HexBytes(frame));
  std::vector<std::string> logged;
  int syncsSent = 0, syncsReceived = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].hex == "FF") {
      ++(lines[i].sent ? syncsSent : syncsReceived);
      continue;
    }
    if (!lines[i].sent || lines[i].hex == HexBytes(SearchFrame())) continue;
    logged.push_back(lines[i].hex);
    size_t reply = i + 1;
    while (reply < lines.size() && (lines[reply].sent || lines[reply].hex == "FF")) ++reply;
    QVERIFY2(reply < lines.size(), lines[i].hex.c_str());
    QCOMPARE(lines[reply].ms - lines[i].ms, int64_t(20));
  }
  QVERIFY(commands.size() > 10);  // status, names, menu flags, the groups of the mode
  QCOMPARE(logged, commands);
  QVERIFY(syncsSent >= 2 && syncsReceived >= 2);
}

void LinkLogTest::restartingBeginsANewFileAtTimeZero() {
  const QString path = TestFolder() + "/restart.log";
  Console c("drop=1");  // the first search goes unanswered: the log starts with the next one
  ScriptDialogs(c, path);
  QAction* entry = c.frame->MenuItem("CmdLinkLog");
  entry->trigger();
  QVERIFY(c.Synced());
  entry->trigger();
  QString header;
  std::vector<Line> first;
  QVERIFY(ReadLog(path, header, first));
  QVERIFY(!first.empty());
  QCOMPARE(first.front().hex, HexBytes(SearchFrame()));
  c.RunUntil([] { return false; }, 3000);

  // The same file again, over 3 s into the session: emptied, and timed from the new start.
  ScriptDialogs(c, path);
  entry->trigger();
  QVERIFY(entry->isChecked());
  c.RunUntil([] { return false; }, 1200);
  entry->trigger();
  std::vector<Line> second;
  QVERIFY(ReadLog(path, header, second));
  QVERIFY(!second.empty());
  QVERIFY(second.size() < first.size());
  for (const Line& l : second) {
    QVERIFY(l.ms <= 1200);
    QCOMPARE(l.hex, std::string("FF"));  // online and idle: the heartbeat only
  }
  QVERIFY(second.front().sent);
}

void LinkLogTest::cancellingTheDialogChangesNothing() {
  Console c;
  ScriptedFileDialogs& dialogs = ScriptDialogs(c, "");
  QAction* entry = c.frame->MenuItem("CmdLinkLog");
  entry->trigger();
  QCOMPARE(dialogs.asked.size(), size_t(1));
  QVERIFY(!entry->isChecked());
  QVERIFY(!c.session->linkLog().Recording());
  QVERIFY(!c.link().onTrace);
  QVERIFY(c.Synced());
  QVERIFY(c.messages.messages.empty());
}

void LinkLogTest::aFileThatCannotBeOpenedIsTold_data() {
  QTest::addColumn<QString>("path");
  QTest::newRow("folder missing") << TestFolder() + "/no-such-folder/link.log";
  QTest::newRow("device full") << QString("/dev/full");  // opens, but the header finds no room
  QTest::newRow("a folder") << TestFolder();
}

void LinkLogTest::aFileThatCannotBeOpenedIsTold() {
  QFETCH(QString, path);
  if (path == "/dev/full" && !QFile::exists(path)) QSKIP("no /dev/full here");
  Console c;
  ScriptDialogs(c, path);
  QAction* entry = c.frame->MenuItem("CmdLinkLog");
  entry->trigger();
  QVERIFY(!entry->isChecked());
  QVERIFY(!c.session->linkLog().Recording());
  QVERIFY(!c.link().onTrace);
  const auto warnings = c.messages.Texts(RecordingNotifier::Kind::Warning);
  QCOMPARE(warnings.size(), size_t(1));
  const QString text = QString::fromStdString(warnings[0]);
  QVERIFY2(text.startsWith(QString::fromUtf8("无法写入通信日志文件 ")), qPrintable(text));
  QVERIFY2(text.contains(QDir::toNativeSeparators(path)), qPrintable(text));
  // The session goes on as if nothing had been asked.
  QVERIFY(c.Synced());
  QCOMPARE(c.messages.messages.size(), size_t(1));
}

void LinkLogTest::aWriteThatFailsStopsTheRecordingAndIsTold() {
  const QString path = TestFolder() + "/full.log";
  QFile::remove(path);
  Console c("delay=20,drop=1");
  int passedOn = 0;
  c.link().onTrace = [&](bool, const std::vector<uint8_t>&) { ++passedOn; };
  ScriptDialogs(c, path);
  QAction* entry = c.frame->MenuItem("CmdLinkLog");
  {
    // Room for the header and a few lines of the start-up read.
    FileSizeLimit limit(300);
    QVERIFY(limit.ok());
    entry->trigger();
    QVERIFY(entry->isChecked());
    QVERIFY(c.RunUntil([&] { return !entry->isChecked(); }, 3000));
  }
  const auto warnings = c.messages.Texts(RecordingNotifier::Kind::Warning);
  QCOMPARE(warnings.size(), size_t(1));
  const QString text = QString::fromStdString(warnings[0]);
  QVERIFY2(text.startsWith(QString::fromUtf8("写入通信日志文件 ")), qPrintable(text));
  QVERIFY2(text.contains(QString::fromUtf8("失败，记录已停止")), qPrintable(text));
  QVERIFY(text.contains(QDir::toNativeSeparators(path)));
  QVERIFY(!c.session->linkLog().Recording());
  QVERIFY(QString::fromStdString(c.session->linkLog().FirstFailure()).startsWith(path + ": "));

  // The start-up read goes on, the earlier hook sees it and what follows, the file keeps what
  // it had.
  const qint64 size = QFileInfo(path).size();
  QVERIFY(size > 0 && size <= 300);
  const int before = passedOn;
  QVERIFY(c.Synced());
  c.RunUntil([] { return false; }, 2000);
  QVERIFY(passedOn > before);
  QCOMPARE(QFileInfo(path).size(), size);
  QCOMPARE(c.messages.messages.size(), size_t(1));
  QString header;
  std::vector<Line> lines;
  QVERIFY(ReadLog(path, header, lines, true));
  QVERIFY(header.startsWith("# mirelune "));
  QVERIFY(!lines.empty());
  QCOMPARE(lines.front().hex, HexBytes(SearchFrame()));
}

QTEST_MAIN(LinkLogTest)
#include "link_log_test.moc"
