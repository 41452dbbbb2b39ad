// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tuning/graph_tools.h"

#include <QAction>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QToolTip>

#include "graph/compare_curves.h"
#include "graph/response_model.h"
#include "model/file_bytes.h"
#include "model/scales.h"
#include "model/sp_file.h"
#include "platform/tr.h"
#include "ui/tuning/ab_switch.h"
#include "ui/session/console_session.h"
#include "ui/graph/graph_widget.h"
#include "ui/tuning/measure_window.h"
#include "ui/look/language.h"

namespace mirelune::ui {

namespace {

constexpr CompareKind kKinds[4] = {CompareKind::OtherSoundMode, CompareKind::Factory, CompareKind::File,
                                   CompareKind::LastReported};

// The entry's colour, and its tick when ticked: a menu styled by a style sheet draws the icon of
// a checkable entry in place of the check mark, so the icon carries the mark itself.
QIcon Swatch(uint32_t rgba, bool ticked) {
  QPixmap p(30, 14);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing, true);
  if (ticked) {
    g.setPen(QPen(QColor(230, 234, 240), 2));
    g.drawPolyline(QPolygonF({QPointF(2, 7), QPointF(5, 11), QPointF(11, 2)}));
  }
  g.fillRect(16, 6, 13, 3, QColor::fromRgba(rgba));
  return QIcon(p);
}

}  // namespace

GraphTools::GraphTools(ConsoleSession& session, FrmEq& window, GraphWidget& graph)
    : QWidget(&graph), session_(session), window_(window), graph_(graph) {
  setObjectName("graphTools");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(4);
  ab_ = new AbSwitch(session, window, this);
  phase_ = new QToolButton(this);
  phase_->setObjectName("cmdGraphPhase");
  phase_->setCheckable(true);
  phase_->setAutoRaise(true);
  compare_ = new QToolButton(this);
  compare_->setObjectName("cmdGraphCompare");
  compare_->setPopupMode(QToolButton::InstantPopup);
  compare_->setAutoRaise(true);
  auto* menu = new QMenu(compare_);
  static const char* const kNames[4] = {"cmdCompareOtherMode", "cmdCompareFactory", "cmdCompareFile",
                                        "cmdCompareLastReported"};
  for (int k = 0; k < 4; ++k) {
    kinds_[k] = menu->addAction(Swatch(CompareColour(kKinds[k]), false), QString());
    kinds_[k]->setObjectName(kNames[k]);
    kinds_[k]->setCheckable(true);
  }
  menu->setStyleSheet("QMenu { icon-size: 30px; }");
  compare_->setMenu(menu);
  measure_ = new QToolButton(this);
  measure_->setObjectName("cmdGraphMeasure");
  measure_->setAutoRaise(true);
  connect(measure_, &QToolButton::clicked, this, [this] { OpenMeasureWindow(session_, window_, nullptr); });
  for (QToolButton* b : {ab_->Button(), phase_, compare_, measure_}) {
    b->setStyleSheet("QToolButton { color: #d8dce4; background: rgba(40, 44, 53, 200); border: 1px solid #3e4452;"
                     " border-radius: 3px; padding: 1px 6px; } QToolButton:checked { background: #3a6ea5; }");
    row->addWidget(b);
  }
  connect(phase_, &QToolButton::toggled, this, [this](bool on) {
    graph_.model().SetPhaseShown(on);
    graph_.view().DrawBase();
    graph_.view().DrawGraph();
    graph_.update();
  });
  for (int k = 0; k < 4; ++k)
    connect(kinds_[k], &QAction::toggled, this, [this, k](bool on) {
      if (on && kKinds[k] == CompareKind::File && !fileTable_) {
        const std::string path = chooseFile ? chooseFile() : std::string();
        if (path.empty() || !CompareWithFile(path)) {
          const QSignalBlocker quiet(kinds_[k]);
          kinds_[k]->setChecked(false);
          ShowTicks();
        }
        return;  // CompareWithFile applied it
      }
      ApplyComparisons();
    });
  chooseFile = [this]() -> std::string {
    return QFileDialog::getOpenFileName(this, Tr("选择要比较的配置文件"), QString(), Tr("配置文件 (*.sp)"))
        .toStdString();
  };
  graph.installEventFilter(this);
  graph.setMouseTracking(true);
  SetTexts();
  Place();
}

GraphTools::~GraphTools() { graph_.removeEventFilter(this); }

QAction* GraphTools::CompareAction(int kind) const { return kind >= 0 && kind < 4 ? kinds_[kind] : nullptr; }

bool GraphTools::CompareWithFile(const std::string& path) {
  auto table = std::make_shared<RecordTable>();
  const FileResult r = LoadTableFromFile(path, *table);
  if (!r) {
    session_.notifier().Warning(Tr("无法比较：%1").arg(QString::fromStdString(r.error)).toStdString());
    return false;
  }
  if (!r.warning.empty()) session_.notifier().Warning(std::string(kLongSpFileText) + "\n" + path);
  file_ = path;
  fileTable_ = table;
  {
    const QSignalBlocker quiet(kinds_[2]);
    kinds_[2]->setChecked(true);
  }
  SetTexts();
  ApplyComparisons();
  return true;
}

void GraphTools::ShowTicks() {
  for (int k = 0; k < 4; ++k) kinds_[k]->setIcon(Swatch(CompareColour(kKinds[k]), kinds_[k]->isChecked()));
}

GraphToolsState GraphTools::State() const {
  GraphToolsState s;
  s.phase = phase_->isChecked();
  for (int k = 0; k < 4; ++k) s.kinds[k] = kinds_[k]->isChecked();
  s.file = file_;
  s.fileTable = fileTable_;
  return s;
}

void GraphTools::Restore(const GraphToolsState& s) {
  file_ = s.file;
  fileTable_ = s.fileTable;
  for (int k = 0; k < 4; ++k) {
    const QSignalBlocker quiet(kinds_[k]);
    kinds_[k]->setChecked(s.kinds[k] && (kKinds[k] != CompareKind::File || fileTable_));
  }
  SetTexts();
  ApplyComparisons();
  phase_->setChecked(s.phase);  // its own handler redraws
}

void GraphTools::ApplyComparisons() {
  ShowTicks();
  std::vector<CompareSource> sources;
  for (int k = 0; k < 4; ++k) {
    if (!kinds_[k]->isChecked()) continue;
    CompareSource s;
    s.kind = kKinds[k];
    s.label = kinds_[k]->text().toStdString();
    if (s.kind == CompareKind::File) {
      if (!fileTable_) continue;
      s.table = fileTable_;
    } else if (s.kind == CompareKind::LastReported) {
      // The session's own table, which it keeps up to date: not owned here.
      s.table = std::shared_ptr<const RecordTable>(&session_.LastReported(), [](const RecordTable*) {});
    }
    sources.push_back(std::move(s));
  }
  ResponseModel& model = graph_.model();
  // The measure window's curves stay (ui/tuning/measure_window.h).
  for (const CompareSource& s : model.ComparisonSources())
    if (IsPointCurve(s.kind)) sources.push_back(s);
  model.SetComparisons(std::move(sources));
  graph_.view().DrawBase();
  graph_.view().DrawGraph();
  graph_.update();
}

void GraphTools::SetTexts() {
  phase_->setText(Tr("相位"));
  graph_.view().phaseLabel = Tr("相位").toStdString();
  // A filter switched off reads as the sliders say it; English writes kilohertz "kHz".
  graph_.view().shownWords = {{"OFF", Tr("关").toStdString()}};
  if (CurrentLanguage() == Language::English)
    for (const char* k : {"1", "10", "20"}) graph_.view().shownWords[std::string(k) + "KHz"] = std::string(k) + "kHz";
  phase_->setToolTip(Tr("显示总响应的相位（右侧刻度，度）；鼠标停在图上时显示所选频段自身的相位"));
  compare_->setText(Tr("比较"));
  compare_->setToolTip(Tr("在可编辑曲线下方画出比较曲线"));
  kinds_[0]->setText(Tr("另一声音模式"));
  kinds_[1]->setText(Tr("出厂设置"));
  kinds_[2]->setText(file_.empty() ? Tr("配置文件…")
                                   : Tr("文件：%1").arg(QString::fromStdString(file_).section('/', -1)));
  kinds_[3]->setText(Tr("放大器上次报告的值"));
  measure_->setText(Tr("测量"));
  measure_->setToolTip(Tr("测量房间，把本页均衡拟合到目标 (测量窗口)"));
  ab_->SetTexts();
  adjustSize();
  Place();
}

void GraphTools::Place() {
  adjustSize();
  move(std::max(0, graph_.width() - width() - 6), 3);
  raise();
}

bool GraphTools::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &graph_) {
    if (event->type() == QEvent::Resize) Place();
    if (event->type() == QEvent::MouseMove && graph_.model().PhaseShown()) {
      // The selected band's own phase where the pointer is.
      const auto* m = static_cast<QMouseEvent*>(event);
      const ResponseModel& model = graph_.model();
      const double f = model.Geometry().FreqFromX(static_cast<float>(m->position().x()));
      const int b = model.SelectedBand();
      if (f > 0 && b >= 0 && b < model.BandCount())
        QToolTip::showText(m->globalPosition().toPoint(),
                           Tr("频段 %1：%2 Hz 处相位 %3°")
                               .arg(b + 1)
                               .arg(f, 0, 'f', f < 100 ? 1 : 0)
                               .arg(model.BandPhaseAt(b, f), 0, 'f', 1),
                           &graph_);
    }
  }
  return false;
}

bool GraphTools::event(QEvent* event) {
  // A button's text changed its width (the A/B button's "A | ▶B"): the row is placed again,
  // so that no button is cut at the graph's edge.
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::LayoutRequest) Place();
  return handled;
}

void GraphTools::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) SetTexts();
  QWidget::changeEvent(event);
}

}  // namespace mirelune::ui
