#include "ui/console_owner.h"

#include <unistd.h>

#include "link/frame_codec.h"
#include "model/ansi_text.h"
#include "model/band_fields.h"
#include "model/reverb_presets.h"
#include <algorithm>
#include "model/store.h"
#include "ui/console_session.h"

namespace mirelune::ui {

ConsoleOwner::ConsoleOwner(ConsoleSession& session) : session_(session), service_(*this) {}

ConsoleOwner::~ConsoleOwner() { Close(); }

bool ConsoleOwner::Listen(const std::string& socketPath, std::string& error) {
  server_ = std::make_unique<LocalOwnerServer>(service_);
  if (server_->Listen(socketPath, error)) return true;
  server_.reset();
  return false;
}

void ConsoleOwner::Close() { server_.reset(); }

bool ConsoleOwner::Listening() const { return server_ != nullptr; }

void ConsoleOwner::NoteChange(int address, const std::string& by) {
  if (applying_ || !server_) return;
  server_->Publish(OwnerService::ChangeEvent({address}, by));
}

OwnerFacts ConsoleOwner::Facts() {
  OwnerFacts f;
  f.program = "mirelune";
  f.pid = static_cast<long>(::getpid());
  f.device = session_.DeviceLabel();
  const LinkStatusFacts s = session_.StatusFacts();
  f.identifier = s.identifier;
  f.online = s.online;
  f.mode = s.online ? s.modeNumber : -1;
  f.soundMode = session_.store().CurrentSoundMode;
  return f;
}

bool ConsoleOwner::Ready() { return !session_.link().InWait && !session_.Syncing(); }

bool ConsoleOwner::Known(std::string& error) {
  if (session_.link().Online && session_.StatusFacts().modeNumber >= 0) return true;
  error = "the console has not read the amplifier (" + session_.StatusText() + ")";
  return false;
}

bool ConsoleOwner::Get(const std::vector<int>& addresses, int sound, std::vector<ParamRecord>& out,
                       std::string& error) {
  if (!Known(error)) return false;
  Store& store = session_.store();
  for (int a : addresses) {
    const int slot = a >= kFirstSlotOnlyAddress ? 0 : (sound >= 0 ? sound : store.CurrentSoundMode);
    out.push_back(store.ParamTable.at(slot, a));
  }
  return true;
}

bool ConsoleOwner::Set(const std::vector<OwnerChange>& changes, int sound, const std::string& by,
                       size_t& acknowledged, std::string& error) {
  acknowledged = 0;
  if (!Known(error)) return false;
  Store& store = session_.store();
  for (const OwnerChange& c : changes)
    if (sound >= 0 && c.address < kFirstSlotOnlyAddress && sound != store.CurrentSoundMode) {
      error = "the console is editing sound mode " + std::to_string(store.CurrentSoundMode) +
              "; switch it there, or leave out the sound mode";
      return false;
    }
  // One step of the console's undo history for the whole request.
  session_.history().PushSnapshot();
  std::vector<OwnerChange> ordered = changes;
  std::stable_sort(ordered.begin(), ordered.end(), [](const OwnerChange& x, const OwnerChange& y) {
    return ApplyRank(x.address) < ApplyRank(y.address);
  });
  for (const OwnerChange& c : ordered) {
    // A reverb mode with a preset sets its parameters, as the amplifier does when it arrives;
    // values the request gives itself follow and stay.
    if (c.address == kReverbModeAddress && !c.band)
      for (int e = 0; e < static_cast<int>(ReverbPresetEntries().size()); ++e) {
        const int32_t v = ReverbPresetValue(e, c.value);
        if (v < 0) continue;
        for (int s = 0; s < 2; ++s) store.ParamTable.at(s, ReverbPresetEntries()[static_cast<size_t>(e)].address).Value = v;
      }
    const int slot = store.SlotFor(c.address);
    ParamRecord rec = store.ParamTable.at(slot, c.address);
    if (c.band) {
      for (const auto& [name, v] : c.fields) SetBandField(rec, name, v, error);  // checked before
    } else {
      rec.Value = c.value;
    }
    store.ParamTable.at(slot, c.address) = rec;
    if (c.address < kFirstSlotOnlyAddress && store.ParamTable.at(0, c.address).PerMode == kFalse)
      store.ParamTable.at(1 - slot, c.address) = rec;
  }
  std::vector<int> sent;
  applying_ = true;
  for (const OwnerChange& c : ordered) {
    if (!session_.SendParam(c.address)) {
      error = "the amplifier did not acknowledge the change of " + std::to_string(c.address) +
              (session_.link().LastError().empty() ? "" : " (" + session_.link().LastError() + ")");
      break;
    }
    sent.push_back(c.address);
    ++acknowledged;
  }
  applying_ = false;
  // The controls and the graph show the store, acknowledged or not: what failed is still the
  // console's edit, as a failed slider move would be.
  if (session_.onDeviceRead) session_.onDeviceRead();
  if (!sent.empty() && server_) server_->Publish(OwnerService::ChangeEvent(sent, by));
  return acknowledged == changes.size();
}

bool ConsoleOwner::ModeNames(std::vector<std::string>& names, std::string& error) {
  if (!Known(error)) return false;
  Link& link = session_.link();
  if (!link.SendCommand(ReadModeNames, 0, 0)) {
    error = "the amplifier did not answer the mode-name request (" + link.LastError() + ")";
    return false;
  }
  const auto& p = link.ReplyPayload();
  const std::vector<uint8_t> bytes(p.begin(), p.begin() + kModeNameCount * kModeNameBytes);
  for (int n = 0; n < 10; ++n) names.push_back(BytesToText(bytes, static_cast<size_t>(n) * kModeNameBytes));
  return true;
}

}  // namespace mirelune::ui
