// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/mode_copy.h"

#include "model/input_lock.h"

namespace mirelune {
namespace {

bool Confirmed(const CopyHooks& hooks, const char* text) {
  return hooks.question && hooks.question(text);
}

bool Online(const CopyHooks& hooks) { return hooks.online && hooks.online() && hooks.send; }

CopyOutcome Finish(Store& store, const CopyHooks& hooks) {
  store.ModifiedFlag = kTrue;
  if (hooks.notice) hooks.notice(kCopyDoneText);
  return CopyOutcome::Done;
}

}  // namespace

CopyOutcome CopyMicGroup(Store& store, const CopyHooks& hooks) {
  const bool fromMic12 = store.CurrentPage == 1;
  if (!Confirmed(hooks, fromMic12 ? kMicCopyToMic3Text : kMicCopyFromMic3Text))
    return CopyOutcome::Declined;
  const int s = fromMic12 ? 1 : 2;
  const int d = fromMic12 ? 2 : 1;
  const int n = store.KindEnd[1] - store.KindStart[1];
  const int from = store.KindStart[static_cast<size_t>(s)];
  const int to = store.KindStart[static_cast<size_t>(d)];
  RecordTable& t = store.ParamTable;
  for (int r = 0; r <= n; ++r) {
    t.at(0, to + r) = t.at(0, from + r);
    t.at(1, from + r) = t.at(0, from + r);
    t.at(1, to + r) = t.at(0, to + r);
  }
  // The store has changed whatever the sends do.
  store.ModifiedFlag = kTrue;
  if (Online(hooks)) {
    InputLock lock(hooks.enableWindow);
    for (int r = 0; r <= n; ++r)
      if (!hooks.send(to + r)) return CopyOutcome::SendFailed;
  }
  return Finish(store, hooks);
}

CopyOutcome CopySoundMode(Store& store, const CopyHooks& hooks) {
  const uint8_t c = store.CurrentSoundMode != 0 ? 1 : 0;
  const uint8_t o = static_cast<uint8_t>(1 - c);
  if (!Confirmed(hooks, c == 0 ? kSingToDanceText : kDanceToSingText)) return CopyOutcome::Declined;
  RecordTable& t = store.ParamTable;
  // Menu kinds 8..10 (recording, system) live in slot 0 only; slot 1 holds nothing of them, so
  // copying dance into singing stops before them instead of blanking the system settings.
  const int end = o == 0 ? kFirstSlotOnlyAddress : kAddressCount;
  for (int a = 0; a < end; ++a) t.at(o, a) = t.at(c, a);
  store.ModifiedFlag = kTrue;
  if (Online(hooks)) {
    InputLock lock(hooks.enableWindow);
    // The frames take their values from the current sound mode's slot: for the sends that is
    // the other mode. The edited mode is back in place however the sends end.
    struct Back {
      Store& store;
      uint8_t mode;
      ~Back() { store.CurrentSoundMode = mode; }
    } back{store, c};
    store.CurrentSoundMode = o;
    for (int a = 0; a < kAddressCount; ++a) {
      if (t.at(0, a).PerMode != kTrue) continue;
      if (!hooks.send(a)) return CopyOutcome::SendFailed;
    }
  }
  return Finish(store, hooks);
}

}  // namespace mirelune
