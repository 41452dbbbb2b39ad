// SPDX-License-Identifier: GPL-3.0-or-later
// Folder ui/dialogs/: the console's windows beside the tuning window: the small parameter windows,
// the device chooser, the remote dialog. May include: ui/pages/, ui/session/, remote/ and what
// lies under them.
//
// The three small parameter windows of the console, each built from its layout table
// (ui/pages/secondary_layouts.h): the recording window frmRec "录音调节" and the professional
// reverb settings frmEffect "专业设置", opened modally from the tuning window, and the system
// settings frmSet "系统设置", opened modelessly from the frame's menu.
//
// An edit is written into the store (slot 0, or by the sound-mode slot rule for frmEffect)
// and sent with SetParam while online; these windows keep no undo steps and draw no graph.
// The store stays the only source: LoadValues shows it again (the tuning window calls it on
// every refresh while frmSet is open). UI thread only.
#pragma once

#include <functional>
#include <vector>

#include <QDialog>

#include "ui/pages/secondary_layouts.h"

namespace mirelune::controls {
class MComboBox;
class MScrollBar;
}  // namespace mirelune::controls

namespace mirelune::ui {

class ConsoleSession;
class SkinPanel;

class SecondaryWindow : public QDialog {
  Q_OBJECT

 public:
  // `session` must outlive the window. Values are loaded at once.
  SecondaryWindow(ConsoleSession& session, SecondaryKind kind, QWidget* parent = nullptr);
  ~SecondaryWindow() override;

  SecondaryKind Kind() const { return kind_; }
  // Every slider and option list from the store.
  void LoadValues();

  controls::MScrollBar* Slider(int number) const;
  controls::MComboBox* OptionList(int number) const;

  // frmSet: a slider changed, so the master volumes' upper limits (2568..2570) may have.
  std::function<void()> onMasterLimits;
  // Any edit was stored (the tuning window shows its own controls of the same addresses).
  std::function<void()> onEdited;

 protected:
  void showEvent(QShowEvent*) override;

 private:
  void OnSliderScroll(int number);
  void OnOptionList(int number, int item);

  ConsoleSession& session_;
  SecondaryKind kind_;
  const SecondaryLayout& layout_;
  SkinPanel* panel_ = nullptr;
  std::vector<controls::MScrollBar*> sliders_;  // by number
  std::vector<controls::MComboBox*> lists_;     // by number
  std::vector<int> listAddress_;                // by number
  bool layersReady_ = false;
};

}  // namespace mirelune::ui
