// SPDX-License-Identifier: GPL-3.0-or-later
// LinkLog: records what goes over the wire of a session into a text file a user can attach to a
// bug report - every frame and byte the link hands to the transport and every reply frame and
// sync byte it receives, in the format of mirelune-cli --trace with the time in front:
//
//   # mirelune 0.1.0 2025-03-14T09:26:53+01:00
//      500 > FE FA 23 23 23 0F 54 56 58 5F 43 54 52 4C 06
//      520 < FE 0B 5F 4C 4D 2D 52 35 32 5A 41
//      600 > FE 09 23 23 23 09 23 23 BF
//
// The number is the Scheduler's time in milliseconds since the recording started, so that in
// tests it is virtual time; ">" marks what was sent, "<" what was received; the header names
// the program's version and the wall-clock time the recording started.
//
// Wiring: one LinkLog per console session (ConsoleSession::linkLog), driven by the frame's menu
// entry "记录通信日志…" (BindLinkLogAction) and by the console's --trace FILE, which starts it
// before the frame starts the link. While recording, the log stands in front of
// Link::onTrace and passes every call on to the hook that was there before; Stop puts that
// hook back, so whatever else sets onTrace must do so before a recording starts or after it
// stopped.
//
// Every line is flushed as it is written: the log of a session that crashed or was killed
// ends with the last frame. A write that fails stops the recording; onFailed says why from the
// next turn of the scheduler, never from inside the link's own call.
//
// Thread: UI thread only, like the link.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/scheduler.h"

class QAction;
class QFile;
class QWidget;

namespace mirelune {
class FileDialogs;
class Link;
class Notifier;
}  // namespace mirelune

namespace mirelune::ui {

class LinkLog {
 public:
  // `link` and `scheduler` must outlive the log.
  LinkLog(Link& link, Scheduler& scheduler);
  // Closes the file and gives the link its previous hook back, without calling the callbacks.
  ~LinkLog();
  LinkLog(const LinkLog&) = delete;
  LinkLog& operator=(const LinkLog&) = delete;

  // Creates or empties the file at `path` (UTF-8), writes the header and starts recording at
  // time 0. A recording already running is stopped first. False, not recording, with `error`
  // holding the system's reason when the file cannot be opened or written.
  bool Start(const std::string& path, std::string& error);
  // Ends the recording and closes the file; nothing when not recording.
  void Stop();
  bool Recording() const { return file_ != nullptr; }
  // The file of the current or the last recording.
  const std::string& Path() const { return path_; }
  // "FILE: reason" of the first write that failed since the log was made; empty when none
  // did. A failure to start is not counted here: Start returns it.
  const std::string& FirstFailure() const { return firstFailure_; }

  // A write failed during a recording (which has stopped): `reason` is the system's text.
  std::function<void(const std::string& reason)> onFailed;
  // The recording started or stopped, by Start, Stop or a failure.
  std::function<void(bool recording)> onRecordingChanged;

  // One line of the log without its newline: the time right-aligned in six places, the
  // direction and the bytes as HexBytes writes them ("    12 > FE 00 0A").
  static std::string FormatLine(int64_t ms, bool sent, const std::vector<uint8_t>& bytes);

 private:
  void Record(bool sent, const std::vector<uint8_t>& bytes);
  bool WriteLine(const std::string& line, std::string& error);
  void Unhook();

  Link& link_;
  Scheduler& scheduler_;
  std::unique_ptr<QFile> file_;
  std::string path_;
  std::string firstFailure_;
  int64_t startMs_ = 0;
  std::function<void(bool, const std::vector<uint8_t>&)> previousTrace_;
  bool hooked_ = false;  // Link::onTrace calls Record
  Scheduler::TimerId failureTimer_ = 0;
};

// Makes `action` the menu entry of `log`: checkable, checked exactly while the log records.
// Triggering it stops a recording, or asks dialogs() for the file to write (a save dialog
// "记录通信日志" for log and text files; cancelling leaves everything as it was) and starts one. A file that cannot be opened, and a write that fails
// later, are told through `notifier` as a warning naming the file and the system's reason.
// `owner` is the window the dialog belongs to. All references must outlive the action.
void BindLinkLogAction(QAction& action, LinkLog& log, std::function<FileDialogs&()> dialogs,
                       Notifier& notifier, QWidget* owner);

}  // namespace mirelune::ui
