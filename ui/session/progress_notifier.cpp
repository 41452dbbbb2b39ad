// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/session/progress_notifier.h"

namespace mirelune::ui {

void ProgressNotifier::BeginLongOperation() {
  messages_.BeginLongOperation();
  if (depth_++ == 0 && onBusy) onBusy(true);
}

void ProgressNotifier::EndLongOperation() {
  if (depth_ == 0) return;
  messages_.EndLongOperation();
  if (--depth_ == 0 && onBusy) onBusy(false);
}

void ProgressNotifier::ProgressNudge() {
  messages_.ProgressNudge();
  if (onProgress) onProgress();
}

}  // namespace mirelune::ui
