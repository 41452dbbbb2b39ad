// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/session/link_log.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <QFileInfo>

#include <cinttypes>
#include <cstdio>

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPointer>

#include "link/frame_codec.h"
#include "link/link.h"
#include "model/param_names.h"
#include "mirelune/version.h"
#include "platform/file_dialogs.h"
#include "platform/notifier.h"
#include "platform/tr.h"

namespace mirelune::ui {

namespace {

// The wall-clock start with its offset from UTC, so that a log read in another time zone
// still places the session.
std::string StartStamp() {
  const QDateTime now = QDateTime::currentDateTime();
  return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

QString ShownPath(const std::string& path) {
  return QDir::toNativeSeparators(QString::fromUtf8(path.c_str()));
}

}  // namespace

LinkLog::LinkLog(Link& link, Scheduler& scheduler) : link_(link), scheduler_(scheduler) {}

LinkLog::~LinkLog() {
  scheduler_.StopTimer(failureTimer_);
  Unhook();
  file_.reset();
}

std::string LinkLog::FormatLine(int64_t ms, bool sent, const std::vector<uint8_t>& bytes) {
  char time[24];
  std::snprintf(time, sizeof time, "%6" PRId64, ms);
  std::string line = std::string(time) + (sent ? " > " : " < ") + HexBytes(bytes);
  // A parameter change says which parameter and what value, by the one naming table.
  if (sent && bytes.size() >= 9 && bytes[0] == kFrameStart && bytes[1] == SetParam) {
    const int address = bytes[3] * 256 + bytes[4];
    const std::string name = QualifiedName(address);
    if (!name.empty()) {
      const uint8_t* p = bytes.data() + 6;
      const auto pair = [](const uint8_t* q) { return q[0] * 250 + q[1]; };
      if (bytes[5] == 9) {
        line += "  # " + name + " = " + ParamValueText(address, pair(p));
      } else if (bytes[5] == 15 && bytes.size() >= 15) {
        const int f = pair(p + 2);
        line += "  # " + name + " = " + BandText(pair(p + 4), f >= kEqDisabledOffset ? f - kEqDisabledOffset : f, pair(p + 6));
      }
    }
  }
  return line;
}

bool LinkLog::Start(const std::string& path, std::string& error) {
  Stop();
  Unhook();  // a recording that failed and has not said so yet
  // A pipe, a device or a folder is never written as a log (a FIFO would hold the console until
  // someone reads it): refused before anything is opened.
  const QFileInfo target(QString::fromUtf8(path.c_str()));
  if (target.exists() && !target.isFile()) {
    error = "not a regular file; nothing written";
    return false;
  }
  auto file = std::make_unique<QFile>(QString::fromUtf8(path.c_str()));
  if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    error = file->errorString().toStdString();
    return false;
  }
  file_ = std::move(file);
  path_ = path;
  if (!WriteLine(std::string("# mirelune ") + kVersion + " " + StartStamp(), error)) {
    file_.reset();
    return false;
  }
  startMs_ = scheduler_.NowMs();
  previousTrace_ = std::move(link_.onTrace);
  link_.onTrace = [this](bool sent, const std::vector<uint8_t>& bytes) { Record(sent, bytes); };
  hooked_ = true;
  if (onRecordingChanged) onRecordingChanged(true);
  return true;
}

void LinkLog::Stop() {
  Unhook();
  if (!file_) return;
  // A finished log is on the disk before it is called finished.
  const bool kept = file_->flush() && ::fsync(file_->handle()) == 0;
  if (!kept && firstFailure_.empty())
    firstFailure_ = path_ + ": " + (file_->error() != QFile::NoError ? file_->errorString().toStdString()
                                                                     : std::string(std::strerror(errno)));
  file_.reset();
  if (onRecordingChanged) onRecordingChanged(false);
}

void LinkLog::Unhook() {
  if (!hooked_) return;
  link_.onTrace = std::move(previousTrace_);
  previousTrace_ = nullptr;
  hooked_ = false;
}

void LinkLog::Record(bool sent, const std::vector<uint8_t>& bytes) {
  if (previousTrace_) previousTrace_(sent, bytes);
  if (!file_) return;
  std::string reason;
  if (WriteLine(FormatLine(scheduler_.NowMs() - startMs_, sent, bytes), reason)) return;
  // This runs inside the link's own call, which is still using the hook: the file closes now,
  // the hook goes and the user hears of it on the scheduler's next turn.
  file_.reset();
  if (firstFailure_.empty()) firstFailure_ = path_ + ": " + reason;
  scheduler_.StopTimer(failureTimer_);
  failureTimer_ = scheduler_.StartTimer(0, false, [this, reason] {
    failureTimer_ = 0;
    if (!file_) Unhook();
    if (onRecordingChanged) onRecordingChanged(Recording());
    if (onFailed) onFailed(reason);
  });
}

bool LinkLog::WriteLine(const std::string& line, std::string& error) {
  const QByteArray bytes = QByteArray::fromStdString(line + "\n");
  if (file_->write(bytes) == bytes.size() && file_->flush()) return true;
  error = file_->errorString().toStdString();
  return false;
}

void BindLinkLogAction(QAction& action, LinkLog& log, std::function<FileDialogs&()> dialogs,
                       Notifier& notifier, QWidget* owner) {
  action.setCheckable(true);
  action.setChecked(log.Recording());
  const QPointer<QAction> shown(&action);
  log.onRecordingChanged = [shown](bool recording) {
    if (shown) shown->setChecked(recording);
  };
  log.onFailed = [&log, &notifier](const std::string& reason) {
    notifier.Warning(Tr("写入通信日志文件 %1 失败，记录已停止：%2")
                         .arg(ShownPath(log.Path()), QString::fromStdString(reason))
                         .toStdString());
  };
  QObject::connect(&action, &QAction::triggered, &action, [&log, dialogs, &notifier, owner, shown] {
    if (log.Recording()) {
      log.Stop();
    } else if (const std::string path = dialogs().ChooseFile(
                   owner, true, Tr("记录通信日志").toStdString(),
                   Tr("通信日志 (*.log *.txt);;所有文件 (*)").toStdString());
               !path.empty()) {
      std::string reason;
      if (!log.Start(path, reason))
        notifier.Warning(Tr("无法写入通信日志文件 %1：%2")
                             .arg(ShownPath(path), QString::fromStdString(reason))
                             .toStdString());
    }
    // Qt ticked or unticked the entry on the click; it shows what really happened.
    if (shown) shown->setChecked(log.Recording());
  });
}

}  // namespace mirelune::ui
