// SPDX-License-Identifier: GPL-3.0-or-later
// Every control of the tuning window's pages, the small parameter windows and the frame, on the
// virtual amplifier in virtual time: what the controls show after the start-up read, what an
// edit writes (slot rule included) and sends, and what the user reaches through the frame with
// the mouse and the keyboard.
// Renders every page, effects part and small window to PNGs under the build directory.
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QLabel>
#include <QTest>
#include <QWindow>

#include "controls/mbtnflag.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "controls/option_list_popup.h"
#include "controls/value_type.h"
#include "link/frame_codec.h"
#include "model/scales.h"
#include "ui/window/frame_handles.h"
#include "ui/tuning/mode_controls.h"
#include "ui/pages/page_table.h"
#include "ui/dialogs/secondary_window.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/console_fixture.h"

using namespace mirelune;
using namespace mirelune::ui;
using namespace mirelune::ui::testing;
using controls::MBtnFlag;
using controls::MComboBox;
using controls::MScrollBar;
using controls::OptionListPopup;
using testing_support::ModalScript;

namespace {

void SaveShot(QWidget* w, const QString& name) {
  QImage shot(w->size(), QImage::Format_ARGB32);
  shot.fill(Qt::black);
  w->render(&shot);
  QVERIFY(shot.save(QString(MIRELUNE_BUILD_DIR) + "/" + name));
}

void Settle(Console& c, int ms = 200) { c.RunUntil([] { return false; }, ms); }

// SetParam frames the amplifier received since `from`, as addresses.
std::vector<int> SentAddresses(VirtualAmplifier& amp, size_t from) {
  std::vector<int> out;
  const auto& log = amp.CommandLog();
  for (size_t i = from; i < log.size(); ++i)
    if (log[i].size() > 5 && log[i][1] == SetParam) out.push_back(log[i][3] * 256 + log[i][4]);
  return out;
}

// The frame is the active window, as when the user works in it.
void Activate(Console& c) {
  c.frame->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(c.frame.get()));
}

// A key as the system delivers it: to the frame's window, which hands it to the focus widget.
void Key(Console& c, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QTest::keyClick(c.frame->windowHandle(), key, mods);
}
void Key(Console& c, char ch) { QTest::keyClick(c.frame->windowHandle(), ch); }

// The pointer over a control: sliders take keys and wheel steps only while it is. The offscreen
// platform moves the pointer into the first window under it, so a small window is first moved
// away from the frame.
void Hover(QWidget* w) {
  if (w->window()->objectName() != "mdiMain") w->window()->move(4000, 100);
  QTest::mouseMove(w, w->rect().center() + QPoint(1, 0));
  QTest::mouseMove(w, w->rect().center());
}

template <typename T>
T* OnPage(Console& c, int page, const QString& name) {
  return c.eq().PageContainer(page)->findChild<T*>(name);
}

// Opens an option list with a click on its face and picks entry `row` with a click.
void Pick(MComboBox* combo, int row) {
  QTest::mouseClick(combo, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
  QVERIFY(combo->IsOpen());
  QVERIFY(QTest::qWaitForWindowExposed(combo->List()));
  const QPoint entry(20, row * OptionListPopup::kRowHeight + OptionListPopup::kRowHeight / 2);
  const QPoint at = combo->List()->viewport()->mapTo(combo->List(), entry);
  QTest::mouseMove(combo->List()->windowHandle(), at);
  QTest::mouseClick(combo->List()->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

// A raw value every bound control can show exactly, different from the start-up content.
struct Planted {
  int address;
  int32_t value;
};

std::vector<Planted> PlantValues(VirtualAmplifier& amp) {
  std::vector<Planted> out;
  auto plant = [&](int a, int32_t v) {
    for (int s = 0; s < 2; ++s) amp.Working().at(a >= 2048 ? 0 : s, a).Value = v;
    out.push_back({a, v});
  };
  for (int p = 0; p < kPageCount; ++p) {
    for (const SliderEntry& e : PageSliders(p)) {
      if (e.tag.startsWith("EQ,") || e.tag.startsWith("EQF")) continue;  // the graph's
      const int a = AddressFromTag(e.tag.toStdString());
      const int position = (a * 7 + 3) % (e.setup.MaxValue + 1);
      plant(a, static_cast<int32_t>(controls::ValueFromPosition(e.setup.ValueType, position)));
    }
    for (const OptionListEntry& e : PageOptionLists(p)) {
      const int a = AddressFromTag(e.tag.toStdString());
      plant(a, static_cast<int32_t>((a % (MComboBox::EntriesFor(e.setup.ShowType).size() - 1)) + 1));
    }
    for (const FlagButtonEntry& e : PageFlagButtons(p)) plant(AddressFromTag(e.tag.toStdString()), 0);
  }
  return out;
}

}  // namespace

class PageControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void everyBoundControlShowsTheDeviceValue_data();
  void everyBoundControlShowsTheDeviceValue();
  void everyControlSaysWhatItIs();
  void editInDanceModeFollowsTheSlotRule_data();
  void editInDanceModeFollowsTheSlotRule();
  void musicBand15IsEditedInItsStrip();
  void reverbModePresetsAndTheProfessionalButton();
  void reverbPresetsByTheirValues_data();
  void reverbPresetsByTheirValues();
  void effectsTabFollowsTheSubPageAfterAReload();
  void filterTypeListSetsTheGraphBand();
  void aFilterSliderReachesWhatTheAmplifierHolds();
  void systemSettingsCapTheMasterVolumes();
  void deviceReadCapsTheMasterVolumes();
  void effectsWindowInDanceModeWritesBothSlots();
  void recordingWindowOfflineSendsNothing();
  void chineseMenuItemUnloadsAndReloads();
  void exitWhileARequestWaitsLeavesTheFrame();
  void theEmptyFrameSaysHowToReopenTheWindow();
  void keysReachTheConsoleWhereverTheFocusIs();
  void resizeZones_data();
  void resizeZones();
  void frameDragAndResizeByMouse();
  void toolBarRightHandOffsets();
  void renderPagesAndWindows();
};

// After the start-up read, each page shows the device's values in its plain sliders, option
// lists and flag buttons (also the holders below the visible area).
void PageControlsTest::everyBoundControlShowsTheDeviceValue_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<int>("subPage");
  for (int p = 0; p < kPageCount; ++p) {
    if (p == kEffectsPage) {
      for (int s = 0; s < kEffectSubPages; ++s)
        QTest::addRow("page 3 part %d", s) << p << s;
    } else {
      QTest::addRow("page %d", p) << p << 0;
    }
  }
}

void PageControlsTest::everyBoundControlShowsTheDeviceValue() {
  QFETCH(int, page);
  QFETCH(int, subPage);
  std::vector<Planted> planted;
  Console c("", [&](VirtualAmplifier& amp) { planted = PlantValues(amp); });
  QVERIFY(c.Synced());
  c.eq().ShowPage(page);
  if (page == kEffectsPage) c.eq().ShowEffectSubPage(subPage);
  // The microphone 3 kind is not part of the start-up read: its page shows the store.
  auto plantedAt = [&](int a) {
    if (a / 256 == 2) return c.store().ParamTable.at(0, a).Value;
    for (const Planted& p : planted)
      if (p.address == a) return p.value;
    return int32_t{-999};
  };
  int checked = 0;
  for (const SliderEntry& e : PageSliders(page)) {
    if (e.tag.startsWith("EQ,") || e.tag.startsWith("EQF")) continue;
    auto* s = OnPage<MScrollBar>(c, page, QString("MyScrollBar%1").arg(e.number));
    QVERIFY2(s, qPrintable(e.tag));
    QCOMPARE(s->Addr(), AddressFromTag(e.tag.toStdString()));
    QVERIFY2(s->Value() == static_cast<float>(plantedAt(s->Addr())),
             qPrintable(QString("%1 shows %2").arg(s->objectName()).arg(s->Value())));
    ++checked;
  }
  for (const OptionListEntry& e : PageOptionLists(page)) {
    auto* l = OnPage<MComboBox>(c, page, QString("MyComboBox%1").arg(e.number));
    QVERIFY2(l, qPrintable(e.tag));
    QCOMPARE(l->Value(), plantedAt(l->Addr()));
    ++checked;
  }
  for (const FlagButtonEntry& e : PageFlagButtons(page)) {
    auto* b = OnPage<MBtnFlag>(c, page, QString("MyBTN%1").arg(e.number));
    QVERIFY2(b, qPrintable(e.tag));
    QCOMPARE(b->Value(), 0);  // the layout starts them at 1
    ++checked;
  }
  // Every page but the music page has plain controls of its own.
  QVERIFY(page == 0 || checked > 0);
  QVERIFY(c.messages.messages.empty());
}

// Every slider, option list and flag button of every page has a tool tip naming its parameter;
// the sliders' tips give the unit where the value has one.
void PageControlsTest::everyControlSaysWhatItIs() {
  Console c;
  for (int p = 0; p < kPageCount; ++p) {
    for (QWidget* w : c.eq().PageContainer(p)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
  }
  QVERIFY(OnPage<MScrollBar>(c, 4, "MyScrollBar64")->toolTip().startsWith(QString::fromUtf8("启动电平")));
  QVERIFY(OnPage<MScrollBar>(c, 4, "MyScrollBar64")->toolTip().contains("dB"));
  QVERIFY(OnPage<MScrollBar>(c, 3, "MyScrollBar138")->toolTip().contains(QString::fromUtf8("混响时间")));
  QVERIFY(OnPage<MScrollBar>(c, 3, "MyScrollBar138")->toolTip().contains("9000 ms"));
  QVERIFY(OnPage<MComboBox>(c, 7, "MyComboBox3")->toolTip().contains("LinkWitz 48dB"));
  // The master volumes say which keys move them.
  QVERIFY(c.eq().Modes()->MasterSlider(0)->toolTip().contains("Q"));
}

// In dance mode, a control of a parameter common to both sound modes writes both slots; a
// per-mode one only the dance slot. Through the user's path: the control found on its page,
// a key or a click; the amplifier ends up holding what the console holds.
void PageControlsTest::editInDanceModeFollowsTheSlotRule_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QString>("control");
  QTest::newRow("mic compressor threshold") << 1 << "MyScrollBar125";
  QTest::newRow("echo delay") << 3 << "MyScrollBar144";
  QTest::newRow("main output volume") << 4 << "MyScrollBar68";
  QTest::newRow("main output delay") << 4 << "MyScrollBar70";
  QTest::newRow("aux high-pass type") << 5 << "MyComboBox1";
  QTest::newRow("sub-woofer phase") << 7 << "MyBTN2";
  QTest::newRow("control target") << 7 << "MyBTN4";
}

// Band 15 of the music page has a strip and a marker: moving its strip changes its gain (not
// some other field) in the store and on the amplifier, and its marker and the sum follow at once.
void PageControlsTest::musicBand15IsEditedInItsStrip() {
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  QTest::mouseClick(c.eq().PageButton(0), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  MScrollBar* strip = nullptr;
  for (MScrollBar* s : c.eq().findChildren<MScrollBar*>())
    if (s->Addr() == 14 && s->isVisible()) strip = s;
  QVERIFY(strip);
  const ResponseModel& model = c.eq().graph()->model();
  const int n = model.Geometry().Points();
  const std::vector<float> sumBefore(model.Sum(), model.Sum() + n);
  const ParamRecord before = c.store().ParamTable.at(0, 14);
  const size_t from = c.amp().CommandLog().size();
  // The strip moved as a drag on it moves it: its value, then its scroll signal.
  strip->SetValue(static_cast<float>(before.Gain - 20));
  emit strip->Scroll();
  Settle(c);
  const ParamRecord after = c.store().ParamTable.at(0, 14);
  QCOMPARE(after.Gain, before.Gain - 20);
  QCOMPARE(after.Freq, before.Freq);
  QCOMPARE(after.Value, before.Value);
  QCOMPARE(SentAddresses(c.amp(), from), std::vector<int>{14});
  QCOMPARE(c.amp().Working().at(0, 14).Gain, after.Gain);
  QCOMPARE(model.Band(14).Addr, 14);
  QCOMPARE(model.Band(14).Gain, after.Gain);
  float moved = 0;
  for (int i = 0; i < n; ++i) moved = std::max(moved, std::fabs(model.Sum()[i] - sumBefore[static_cast<size_t>(i)]));
  QVERIFY2(moved > 0.05f, qPrintable(QString::number(moved)));
}

void PageControlsTest::editInDanceModeFollowsTheSlotRule() {
  QFETCH(int, page);
  QFETCH(QString, control);
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  QTest::mouseClick(c.eq().Modes()->Button(SystemButtonGroup::BassMode, 1), Qt::LeftButton,
                    Qt::NoModifier, QPoint(8, 8));
  QCOMPARE(c.store().CurrentSoundMode, uint8_t{1});
  QTest::mouseClick(c.eq().PageButton(page), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  QCOMPARE(c.store().CurrentPage, page);
  QWidget* w = OnPage<QWidget>(c, page, control);
  QVERIFY(w && w->isVisible());
  int address = -1;
  const size_t from = c.amp().CommandLog().size();
  if (auto* s = qobject_cast<MScrollBar*>(w)) {
    address = s->Addr();
    Hover(s);
    s->setFocus();
    Key(c, s->Position() > 0 ? Qt::Key_Left : Qt::Key_Right);
  } else if (auto* l = qobject_cast<MComboBox*>(w)) {
    address = l->Addr();
    Pick(l, l->Value() == 0 ? 1 : 0);
  } else if (auto* b = qobject_cast<MBtnFlag*>(w)) {
    address = b->Addr();
    // The phase switch takes the half it is pressed on; the targets toggle.
    const QPoint at = b->ActionType() == 3 ? QPoint(b->Value() == 0 ? b->width() - 5 : 5, 5) : QPoint(5, 5);
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, at);
  }
  Settle(c);
  QVERIFY(address >= 0);
  const Store& store = c.store();
  const int32_t dance = store.ParamTable.at(1, address).Value;
  const int32_t singing = store.ParamTable.at(0, address).Value;
  QCOMPARE(SentAddresses(c.amp(), from), std::vector<int>{address});
  if (store.ParamTable.at(0, address).PerMode == kFalse) {
    QCOMPARE(singing, dance);
  } else {
    QVERIFY2(singing != dance, "a per-mode edit in dance mode changed the singing slot");
  }
  QCOMPARE(c.amp().Working().at(1, address).Value, dance);
  QCOMPARE(c.amp().Working().at(0, address).Value, singing);
  // The edit is one undo step, which takes it back in both slots.
  QVERIFY(c.session->history().CanUndo());
}

// Reverb mode 2 sets the four reverb sliders to its preset in both sound modes, sends only the
// mode and disables the professional settings; mode 0 enables them and moves nothing.
void PageControlsTest::reverbModePresetsAndTheProfessionalButton() {
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  QTest::mouseClick(c.eq().PageButton(kEffectsPage), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  auto* modes = OnPage<MComboBox>(c, kEffectsPage, "MyComboBox5");
  auto* pro = OnPage<MBtnFlag>(c, kEffectsPage, "MBtnFlag2");
  QVERIFY(modes && pro);
  size_t from = c.amp().CommandLog().size();
  Pick(modes, 2);
  Settle(c);
  QCOMPARE(modes->Value(), 2);
  QCOMPARE(SentAddresses(c.amp(), from), std::vector<int>{810});
  // The cut frequencies are 10156 Hz and 118 Hz: their sliders show the nearest table entries.
  const struct {
    int slider;
    int address;
    int32_t value;
  } preset[] = {{140, 782, FreqToIndex(10100)}, {135, 781, FreqToIndex(118)}, {138, 788, 630}, {139, 784, 0}};
  QCOMPARE(controls::ShownText(6, FreqToIndex(10100) - 298), QString("10100"));
  QCOMPARE(controls::ShownText(1, FreqToIndex(118) - 1), QString("118"));
  for (const auto& p : preset) {
    QCOMPARE(c.eq().Slider(p.slider)->Value(), static_cast<float>(p.value));
    QCOMPARE(c.store().ParamTable.at(0, p.address).Value, p.value);
    QCOMPARE(c.store().ParamTable.at(1, p.address).Value, p.value);
    // The amplifier applied the same preset on its own, from the mode alone.
    QCOMPARE(c.amp().Working().at(1, p.address).Value, p.value);
  }
  QVERIFY(!pro->Enabled());
  QCOMPARE(c.store().ParamTable.at(0, 810).Value, 2);
  QCOMPARE(c.amp().Working().at(0, 810).Value, 2);
  // The amplifier applied the preset itself: it holds it, and the read that follows the link
  // switched off and on (as after choosing another amplifier) keeps no "offline edits".
  QTest::mouseClick(c.eq().ConnectButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QTest::mouseClick(c.eq().ConnectButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QVERIFY(c.Synced());
  QVERIFY2(c.session->SavedEditsFile().empty(), c.session->SavedEditsFile().c_str());

  // Disabled, the button opens nothing.
  ModalScript<SecondaryWindow> never([](SecondaryWindow& w) { w.reject(); });
  QTest::mouseClick(pro, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QCOMPARE(never.Shown(), 0);

  c.eq().Slider(138)->SetValue(700);
  Pick(modes, 0);
  Settle(c);
  QVERIFY(pro->Enabled());
  QCOMPARE(c.eq().Slider(138)->Value(), 700.0f);
  // A device read with mode 0 keeps it enabled, with mode 3 disables it.
  c.amp().Working().at(0, 810).Value = 3;
  c.amp().Working().at(1, 810).Value = 3;
  c.session->transfers().ReadModeToParams(0, true, ReadGroup);
  QVERIFY(!pro->Enabled());
}

void PageControlsTest::reverbPresetsByTheirValues_data() {
  QTest::addColumn<int>("item");
  QTest::addColumn<int>("highCutHz");
  QTest::addColumn<int>("lowCutHz");
  QTest::addColumn<int>("time");
  QTest::newRow("room") << 1 << 9982 << 80 << 543;
  QTest::newRow("large hall") << 3 << 9808 << 160 << 700;
  QTest::newRow("vocal") << 4 << 9112 << 153 << 575;
}

// Every preset, not only one: each writes its own cut frequencies (the nearest table entries,
// shown within a table step of the preset's hertz), time and pre-delay into both sound modes,
// and the amplifier applies the same from the mode alone.
void PageControlsTest::reverbPresetsByTheirValues() {
  QFETCH(int, item);
  QFETCH(int, highCutHz);
  QFETCH(int, lowCutHz);
  QFETCH(int, time);
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  QTest::mouseClick(c.eq().PageButton(kEffectsPage), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  auto* modes = OnPage<MComboBox>(c, kEffectsPage, "MyComboBox5");
  size_t from = c.amp().CommandLog().size();
  Pick(modes, item);
  Settle(c);
  QCOMPARE(modes->Value(), item);
  QCOMPARE(SentAddresses(c.amp(), from), std::vector<int>{810});
  auto nearHz = [](MScrollBar* s, int hz) {
    const QString shown = s->ReadoutText();
    const double v = shown.section(' ', 0, 0).toDouble();
    return shown.endsWith(" Hz") && std::abs(v - hz) / hz < 0.012;
  };
  QVERIFY2(nearHz(c.eq().Slider(140), highCutHz), qPrintable(c.eq().Slider(140)->ReadoutText()));
  QVERIFY2(nearHz(c.eq().Slider(135), lowCutHz), qPrintable(c.eq().Slider(135)->ReadoutText()));
  QCOMPARE(c.eq().Slider(138)->ReadoutText(), QString("%1 ms").arg(time * 10));
  QCOMPARE(c.eq().Slider(139)->ReadoutText(), QString("0 ms"));
  const int32_t values[][2] = {{782, NearestFreqIndex(highCutHz)}, {781, NearestFreqIndex(lowCutHz)},
                               {788, time}, {784, 0}};
  for (const auto& v : values)
    for (int slot = 0; slot < 2; ++slot) {
      QCOMPARE(c.store().ParamTable.at(slot, v[0]).Value, v[1]);
      QCOMPARE(c.amp().Working().at(slot, v[0]).Value, v[1]);
    }
}

// Reverb EQ chosen, then the tuning window built anew (中文版 twice): its reverb tab is the one
// pressed, and the graph and the bypass button act on the reverb EQ, as the store says.
void PageControlsTest::effectsTabFollowsTheSubPageAfterAReload() {
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  QTest::mouseClick(c.eq().PageButton(kEffectsPage), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  QTest::mouseClick(c.eq().EffectTab(1), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  QCOMPARE(int(c.store().EffectSubPage), 1);
  QAction* chinese = c.frame->MenuItem("mnuChinese");
  chinese->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  chinese->trigger();
  QVERIFY(c.Synced());
  Activate(c);
  QTest::mouseClick(c.eq().PageButton(kEffectsPage), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  QCOMPARE(int(c.store().EffectSubPage), 1);
  for (int t = 0; t < kEffectSubPages; ++t) QCOMPARE(c.eq().EffectTab(t)->Value(), t == 1 ? 1 : 0);
  // The graph shows the reverb EQ's bands (794..798).
  QCOMPARE(c.graph().model().Band(0).Addr, 794);
  // The bypass button switches the reverb part's bypass (2599), not the echo's (2598).
  size_t from = c.amp().CommandLog().size();
  QTest::mouseClick(c.eq().Modes()->Button(SystemButtonGroup::ByPass, 0), Qt::LeftButton, Qt::NoModifier,
                    QPoint(10, 10));
  Settle(c);
  QCOMPARE(SentAddresses(c.amp(), from), std::vector<int>{2599});
  QCOMPARE(c.amp().Working().at(0, 2599).Value, 1);
  QCOMPARE(c.amp().Working().at(0, 2598).Value, 0);
}

// The filter type lists of the output pages set the type of their graph band.
void PageControlsTest::filterTypeListSetsTheGraphBand() {
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  QTest::mouseClick(c.eq().PageButton(4), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  auto* type = OnPage<MComboBox>(c, 4, "MyComboBox0");
  const int band = type->SpecialFeature().toInt();
  QCOMPARE(c.graph().model().Band(band).Addr, 1030);
  const int before = c.graph().model().Band(band).Gain;
  Pick(type, 1 - before);
  Settle(c);
  QCOMPARE(c.graph().model().Band(band).Gain, 1 - before);
  QCOMPARE(c.amp().Working().at(c.store().CurrentSoundMode, 1030).Value, 1 - before);
}

// The sub-woofer's low-pass starts at index 146 (321 Hz): its slider shows it, and stepping
// away and back with the keys sends 145 and 146 again, not the end stop of a shorter travel.
void PageControlsTest::aFilterSliderReachesWhatTheAmplifierHolds() {
  Console c;
  QVERIFY(c.Synced());
  QCOMPARE(c.amp().Working().at(0, 1802).Value, 146);
  Activate(c);
  QTest::mouseClick(c.eq().PageButton(7), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  auto* lowPass = OnPage<MScrollBar>(c, 7, "MyScrollBar119");
  QVERIFY(lowPass);
  QCOMPARE(lowPass->Addr(), 1802);
  QCOMPARE(lowPass->Value(), 146.f);
  Hover(lowPass);
  QVERIFY(lowPass->Hover());
  lowPass->setFocus();
  Key(c, Qt::Key_Left);
  Settle(c);
  QCOMPARE(c.amp().Working().at(0, 1802).Value, 145);
  Key(c, Qt::Key_Right);
  Key(c, Qt::Key_Right);
  Settle(c);
  QCOMPARE(lowPass->Value(), 146.f);
  QCOMPARE(c.store().ParamTable.at(0, 1802).Value, 146);
  QCOMPARE(c.amp().Working().at(0, 1802).Value, 146);
}

// 开机设置 opens 系统设置; moving its first upper-limit slider down to 60 makes 60 the highest
// value of master volume 0, for the slider and its key.
void PageControlsTest::systemSettingsCapTheMasterVolumes() {
  Console c;
  QVERIFY(c.Synced());
  c.frame->MenuItem("CmdStartupSettings")->trigger();
  SecondaryWindow* set = c.eq().SystemSettings();
  QVERIFY(set && set->isVisible());
  QCOMPARE(set->windowTitle(), QString::fromUtf8("系统设置"));
  QCOMPARE(set->size(), QSize(740, 239));
  MScrollBar* limit = set->findChild<MScrollBar*>("MyScrollBar0");
  QVERIFY(limit);
  QCOMPARE(limit->Addr(), 2568);
  set->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(set));
  QVERIFY(QTest::qWaitForWindowExposed(set));
  Hover(limit);
  QVERIFY(limit->Hover());
  limit->setFocus();
  for (int i = 0; i < 80 && limit->Value() > 60; ++i) QTest::keyClick(set->windowHandle(), Qt::Key_Left);
  Settle(c);
  QCOMPARE(c.store().ParamTable.at(0, 2568).Value, 60);
  QCOMPARE(c.amp().Working().at(0, 2568).Value, 60);
  MScrollBar* master = c.eq().Modes()->MasterSlider(0);
  QCOMPARE(master->MaxValue(), 60);

  // The option lists write their bare address in slot 0.
  Pick(set->findChild<MComboBox*>("MComboBox1_0"), 3);
  Settle(c);
  QCOMPARE(c.amp().Working().at(0, 2564).Value, 3);

  // A refresh of the console reloads the open window from the store.
  c.store().ParamTable.at(0, 2565).Value = 7;
  c.eq().RefreshControls();
  QCOMPARE(set->findChild<MScrollBar*>("MyScrollBar3")->Value(), 7.0f);

  // The key stops at the new limit.
  master->SetValue(59);
  Activate(c);
  c.eq().setFocus();
  Key(c, 'q');
  Key(c, 'q');
  Settle(c);
  QCOMPARE(master->Value(), 60.0f);
  QCOMPARE(c.amp().Working().at(0, 2560).Value, 60);
}

// Every whole-mode read applies the amplifier's limits to the master volumes.
void PageControlsTest::deviceReadCapsTheMasterVolumes() {
  Console c("", [](VirtualAmplifier& amp) {
    amp.Working().at(0, 2569).Value = 50;
    amp.Working().at(0, 2568).Value = 200;  // damaged: beyond the slider's own 0..80
    amp.Working().at(0, 2560).Value = 200;
  });
  QVERIFY(c.Synced());
  MScrollBar* music = c.eq().Modes()->MasterSlider(0);
  QCOMPARE(c.eq().Modes()->MasterSlider(1)->MaxValue(), 50);
  QCOMPARE(music->MaxValue(), 80);
  QCOMPARE(music->Value(), 80.0f);
  // The key stops at 80 too.
  Activate(c);
  c.eq().setFocus();
  const size_t from = c.amp().CommandLog().size();
  Key(c, 'q');
  Settle(c);
  QCOMPARE(music->Value(), 80.0f);
  QVERIFY(SentAddresses(c.amp(), from).empty());
  // Values brought in by a file or an undo step are limited the same way at the refresh.
  c.store().ParamTable.at(0, 2568).Value = 200;
  c.store().ParamTable.at(0, 2569).Value = 30;
  c.eq().RefreshControls();
  QCOMPARE(music->MaxValue(), 80);
  QCOMPARE(c.eq().Modes()->MasterSlider(1)->MaxValue(), 30);
}

// The professional settings, opened from the effects page in dance mode: an edit reaches both
// sound-mode slots of its common address and is sent.
void PageControlsTest::effectsWindowInDanceModeWritesBothSlots() {
  Console c("", [](VirtualAmplifier& amp) {
    amp.Working().at(0, 810).Value = 0;
    amp.Working().at(1, 810).Value = 0;
  });
  QVERIFY(c.Synced());
  Activate(c);
  QTest::mouseClick(c.eq().Modes()->Button(SystemButtonGroup::BassMode, 1), Qt::LeftButton,
                    Qt::NoModifier, QPoint(8, 8));
  QTest::mouseClick(c.eq().PageButton(kEffectsPage), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  QVERIFY(c.eq().EffectsButton()->Enabled());
  QCOMPARE(c.store().ParamTable.at(0, 790).PerMode, kFalse);
  const int32_t before = c.store().ParamTable.at(1, 790).Value;
  size_t from = 0;
  ModalScript<SecondaryWindow> script([&](SecondaryWindow& w) {
    QCOMPARE(w.objectName(), QString("frmEffect"));
    QCOMPARE(w.windowTitle(), QString::fromUtf8("专业设置"));
    MScrollBar* space = w.findChild<MScrollBar*>("MyScrollBar5");
    QCOMPARE(space->Addr(), 790);
    from = c.amp().CommandLog().size();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Hover(space);
    space->setFocus();
    QTest::keyClick(space, Qt::Key_Right);
    w.accept();
  });
  QTest::mouseClick(c.eq().EffectsButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QCOMPARE(script.Shown(), 1);
  QCOMPARE(c.store().ParamTable.at(1, 790).Value, before + 1);
  QCOMPARE(c.store().ParamTable.at(0, 790).Value, before + 1);
  QCOMPARE(SentAddresses(c.amp(), from), std::vector<int>{790});
  QCOMPARE(c.amp().Working().at(0, 790).Value, before + 1);
}

// Offline, the recording window (opened by its button) shows the stored values and an edit
// changes the store and sends nothing.
void PageControlsTest::recordingWindowOfflineSendsNothing() {
  Console c("open=busy", [](VirtualAmplifier&) {});
  Settle(c, 500);
  c.store().ParamTable.at(0, 2050).Value = 120;
  ModalScript<SecondaryWindow> script([&](SecondaryWindow& w) {
    QCOMPARE(w.objectName(), QString("frmRec"));
    QCOMPARE(w.size(), QSize(1040, 630));
    MScrollBar* mic = w.findChild<MScrollBar*>("MyScrollBar2");
    QCOMPARE(mic->Addr(), 2050);
    QCOMPARE(mic->Value(), 120.0f);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    Hover(mic);
    mic->setFocus();
    QTest::keyClick(mic, Qt::Key_Left);
    w.accept();
  });
  QTest::mouseClick(c.eq().RecordButton(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  QCOMPARE(script.Shown(), 1);
  QCOMPARE(c.store().ParamTable.at(0, 2050).Value, 118);  // 200 % scale: steps of 2 above 100
  QVERIFY(c.amp().CommandLog().empty());
  QVERIFY(c.messages.messages.empty());
}

// "中文版" twice: the tuning window and its windows close, then it opens again on page 0 and
// reads the amplifier again.
void PageControlsTest::chineseMenuItemUnloadsAndReloads() {
  Console c;
  QVERIFY(c.Synced());
  c.eq().ShowPage(5);
  QAction* chinese = c.frame->MenuItem("mnuChinese");
  QVERIFY(chinese->isEnabled() && !chinese->isChecked());
  c.frame->MenuItem("CmdPrePassManager")->trigger();
  QVERIFY(c.frame->Program2());
  QPointer<QWidget> program2(reinterpret_cast<QWidget*>(0));
  program2 = c.frame->findChild<QWidget*>("frmProgram2");
  chinese->trigger();
  QVERIFY(!c.frame->MainWindowLoaded());
  QVERIFY(!program2 || !program2->isVisible());
  QVERIFY(c.link().Quitting);
  // Without the tuning window the menu's windows do not open.
  c.frame->MenuItem("CmdStartupSettings")->trigger();
  c.frame->MenuItem("CmdProgramSetup")->trigger();
  QVERIFY(!c.frame->ProgramManager());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  chinese->trigger();
  QVERIFY(c.frame->MainWindowLoaded());
  QVERIFY(chinese->isChecked());
  QCOMPARE(c.store().CurrentPage, 0);
  QCOMPARE(c.eq().PageButton(0)->Value(), 1);
  QVERIFY(c.eq().PageContainer(0)->isVisible());
  QVERIFY(!c.link().Online);
  QVERIFY(c.Synced());
  QCOMPARE(c.eq().ConnectButton()->Value(), int(kStatusOnline));
  QVERIFY(c.messages.messages.empty());
}

// The exit button while a request waits: the warning, then the tuning window goes 700 ms
// later; the frame stays until it is closed itself.
void PageControlsTest::exitWhileARequestWaitsLeavesTheFrame() {
  Console c;
  QVERIFY(c.Synced());
  c.session->virtualPort()->Faults().replyDelayMs = 400;
  auto* exit = c.eq().findChild<MBtnFlag*>("cmdExit");
  c.scheduler.StartTimer(100, false, [&] {
    QTest::mouseClick(exit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  });
  QVERIFY(!c.session->SendParam(0));
  QCOMPARE(c.messages.Texts(RecordingNotifier::Kind::Warning), std::vector<std::string>{kStoppingText});
  QVERIFY(c.frame->MainWindowLoaded());
  QVERIFY(c.RunUntil([&] { return !c.frame->MainWindowLoaded(); }, 1000));
  QVERIFY(c.frame->isVisible());
  QVERIFY(c.frame->close());
  QVERIFY(!c.frame->isVisible());
}

// The exit button closes the tuning window; the frame left says how to open it again (naming
// the menu entry) and that closing it ends the program, until the entry brings the window back.
void PageControlsTest::theEmptyFrameSaysHowToReopenTheWindow() {
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  auto* hint = c.frame->findChild<QLabel*>("tuningWindowClosed");
  QVERIFY(hint && !hint->isVisible());
  QTest::mouseClick(c.eq().findChild<MBtnFlag*>("cmdExit"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  QVERIFY(c.RunUntil([&] { return !c.frame->MainWindowLoaded(); }, 1000));
  QVERIFY(c.frame->isVisible());
  QVERIFY(hint->isVisible());
  const QString entry = c.frame->MenuItem("mnuChinese")->text();
  QVERIFY2(hint->text().contains(entry) && hint->text().contains(QString::fromUtf8("退出程序")),
           qPrintable(hint->text()));
  QVERIFY(hint->geometry().intersects(c.frame->ClientArea()->rect()));
  c.frame->MenuItem("mnuChinese")->trigger();
  QVERIFY(c.frame->MainWindowLoaded());
  QVERIFY(!hint->isVisible());
  QVERIFY(c.Synced());
}

// The master volume keys and Ctrl+H reach the console from the frame itself, a page button and
// the page background, not only from the graph; a line editor still takes its characters.
void PageControlsTest::keysReachTheConsoleWhereverTheFocusIs() {
  Console c;
  QVERIFY(c.Synced());
  Activate(c);
  MScrollBar* master = c.eq().Modes()->MasterSlider(0);
  const std::vector<QWidget*> focus = {c.frame.get(), c.eq().PageButton(3), c.eq().PageContainer(0),
                                       c.eq().ConnectButton()};
  for (QWidget* w : focus) {
    w->setFocusPolicy(Qt::StrongFocus);
    w->setFocus();
    const float before = master->Value();
    const size_t from = c.amp().CommandLog().size();
    Key(c, 'q');
    Settle(c, 50);
    QCOMPARE(master->Value(), before + 1);
    QCOMPARE(SentAddresses(c.amp(), from), std::vector<int>{2560});
  }
  // Ctrl+H with the link off: the offline warning, from the frame's focus too.
  c.eq().ConnectButton()->setFocus();
  QTest::mouseClick(c.eq().ConnectButton(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QVERIFY(!c.link().Online);
  c.frame->setFocus();
  Key(c, Qt::Key_H, Qt::ControlModifier);
  QCOMPARE(c.messages.Texts(RecordingNotifier::Kind::Warning).size(), size_t{1});

  // A value typed into a strip's editor stays text.
  auto* editor = new QLineEdit(c.eq().PageContainer(0));
  editor->show();
  editor->setFocus();
  const float before = master->Value();
  Key(c, 'q');
  QCOMPARE(editor->text(), QString("q"));
  QCOMPARE(master->Value(), before);
}

void PageControlsTest::resizeZones_data() {
  QTest::addColumn<QPoint>("p");
  QTest::addColumn<QString>("zone");
  QTest::addColumn<int>("cursor");
  // Window at (100, 50), 990 x 520: R = 1090, B = 570.
  QTest::newRow("top-left corner") << QPoint(102, 53) << "LeftUp" << int(Qt::SizeFDiagCursor);
  QTest::newRow("bottom-right corner") << QPoint(1088, 568) << "RightDown" << int(Qt::SizeFDiagCursor);
  QTest::newRow("top-right corner") << QPoint(1089, 50) << "RightUp" << int(Qt::SizeBDiagCursor);
  QTest::newRow("bottom-left corner") << QPoint(100, 566) << "LeftDown" << int(Qt::SizeBDiagCursor);
  QTest::newRow("left edge") << QPoint(104, 300) << "Left" << int(Qt::SizeHorCursor);
  QTest::newRow("exact right edge") << QPoint(1090, 300) << "Right" << int(Qt::SizeHorCursor);
  QTest::newRow("top edge") << QPoint(500, 54) << "Up" << int(Qt::SizeVerCursor);
  QTest::newRow("bottom edge") << QPoint(500, 566) << "Down" << int(Qt::SizeVerCursor);
  QTest::newRow("inside") << QPoint(105, 55) << "Move" << int(Qt::ArrowCursor);
  QTest::newRow("right of the edge") << QPoint(1085, 300) << "Move" << int(Qt::ArrowCursor);
}

void PageControlsTest::resizeZones() {
  QFETCH(QPoint, p);
  QFETCH(QString, zone);
  QFETCH(int, cursor);
  const ResizeZone z = ZoneAt(QRect(100, 50, 990, 520), p);
  QCOMPARE(ZoneName(z), zone);
  QCOMPARE(int(ZoneCursor(z)), cursor);
}

// The top bar drags the window; the left edge resizes it with the sizing pointer, and the
// minimum size holds with the right edge in place.
void PageControlsTest::frameDragAndResizeByMouse() {
  Console c;
  Settle(c, 100);
  FrmEq& eq = c.eq();
  QWidget* bar = eq.TopBar();
  const QRect start = eq.geometry();
  auto send = [](QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  };
  // Drag by a free spot of the top bar.
  const QPoint grip(150, 16);
  send(bar, QEvent::MouseButtonPress, grip, Qt::LeftButton);
  send(bar, QEvent::MouseMove, grip + QPoint(40, 25), Qt::LeftButton);
  send(bar, QEvent::MouseButtonRelease, grip + QPoint(40, 25), Qt::NoButton);
  QCOMPARE(eq.geometry(), start.translated(40, 25));

  // The left edge: the pointer shows the sizing shape, a drag to the right stops at 990.
  const QRect moved = eq.geometry();
  send(&eq, QEvent::MouseMove, QPoint(2, 300), Qt::NoButton);
  QCOMPARE(c.frame->Handles()->Zone(), ResizeZone::Left);
  QCOMPARE(eq.cursor().shape(), Qt::SizeHorCursor);
  send(&eq, QEvent::MouseButtonPress, QPoint(2, 300), Qt::LeftButton);
  QVERIFY(c.frame->Handles()->FrameMouseDown());
  send(&eq, QEvent::MouseMove, QPoint(2 + 2000, 300), Qt::LeftButton);
  send(&eq, QEvent::MouseButtonRelease, QPoint(2 + 2000, 300), Qt::NoButton);
  QCOMPARE(eq.width(), FrmEq::kMinWidth);
  QCOMPARE(eq.geometry().right(), moved.right());
  // The bottom-right corner grows it.
  const QPoint corner(eq.width() - 2, eq.height() - 2);
  send(&eq, QEvent::MouseMove, corner, Qt::NoButton);
  QCOMPARE(c.frame->Handles()->Zone(), ResizeZone::RightDown);
  send(&eq, QEvent::MouseButtonPress, corner, Qt::LeftButton);
  send(&eq, QEvent::MouseMove, corner + QPoint(100, 60), Qt::LeftButton);
  send(&eq, QEvent::MouseButtonRelease, corner + QPoint(100, 60), Qt::NoButton);
  QCOMPARE(eq.size(), QSize(FrmEq::kMinWidth + 100, std::max(moved.height(), FrmEq::kMinHeight) + 60));
  // Back inside: the ordinary pointer.
  send(&eq, QEvent::MouseMove, QPoint(300, 60), Qt::NoButton);
  QCOMPARE(c.frame->Handles()->Zone(), ResizeZone::Move);
}

// The sound-mode and automatic-control pairs and the two copy buttons keep their distances to
// the tool bar's right end.
void PageControlsTest::toolBarRightHandOffsets() {
  Console c;
  c.eq().resize(1200, 700);
  c.eq().ShowPage(4);
  QWidget* bar = c.eq().findChild<QWidget*>("Picture4");
  const int w = bar->width();
  const struct {
    const char* name;
    int fromRight;
  } rows[] = {{"cmdBassAutoControl2_0", 132}, {"cmdBassAutoControl2_1", 66}, {"cmdBassMode0", 266},
              {"cmdBassMode1", 202},          {"cmdModeCopy", 343},          {"MBtnFlag3", 414}};
  for (const auto& r : rows) {
    QWidget* b = bar->findChild<QWidget*>(r.name);
    QVERIFY2(b, r.name);
    QCOMPARE(b->x(), w - r.fromRight);
  }
}

void PageControlsTest::renderPagesAndWindows() {
  Console c;
  QVERIFY(c.Synced());
  for (int p = 0; p < kPageCount; ++p) {
    c.eq().ShowPage(p);
    Settle(c, 100);
    SaveShot(&c.eq(), QString("ui-page-%1.png").arg(p));
  }
  c.eq().ShowPage(kEffectsPage);
  for (int i = 0; i < kEffectSubPages; ++i) {
    c.eq().ShowEffectSubPage(i);
    Settle(c, 100);
    SaveShot(c.eq().PageContainer(kEffectsPage), QString("ui-effects-%1.png").arg(i));
  }
  for (SecondaryKind k : {SecondaryKind::Recording, SecondaryKind::Effects, SecondaryKind::SystemSettings}) {
    SecondaryWindow w(*c.session, k, &c.eq());
    w.show();
    SaveShot(&w, QString("ui-%1.png").arg(w.objectName()));
  }
  SaveShot(c.frame.get(), "ui-frame.png");
}

QTEST_MAIN(PageControlsTest)
#include "page_controls_test.moc"
