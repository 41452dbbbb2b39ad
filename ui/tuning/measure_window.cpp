// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tuning/measure_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "graph/compare_curves.h"
#include "graph/graph_bands.h"
#include "graph/response_model.h"
#include "model/file_bytes.h"
#include "model/menu_catalogue.h"
#include "model/scales.h"
#include "platform/qt_audio_port.h"
#include "platform/qt_file_dialogs.h"
#include "platform/tr.h"
#include "sim/virtual_audio_port.h"
#include "ui/session/console_session.h"
#include "ui/tuning/frm_eq.h"
#include "ui/graph/graph_widget.h"

namespace mirelune::ui {
namespace {

QString Num(double v, int decimals) {
  const QString s = QString::number(v, 'f', decimals);
  return s.startsWith('-') && s.toDouble() == 0.0 ? s.mid(1) : s;
}

QString Hz(double v) {
  QString s = Num(v, 1);
  if (s.endsWith(".0")) s.chop(2);
  return s;
}

QString SettingText(const BandSetting& s) {
  QString t = s.QType == 1 ? "LS" : s.QType == 2 ? "HS" : "PK";
  t += " " + Hz(FreqAt(s.Freq)) + " Hz " + QString::fromStdString(GainText(s.Gain)) + " dB";
  t += s.QType == 0 ? " Q " + QString::fromStdString(QIndexText(s.Q)) : " S " + QString::fromStdString(QIndexText(s.SQ));
  if (s.EQDisabled != kFalse) t += " " + Tr("(关)");
  return t;
}

QString Figures(const DeviationFigures& f) {
  return Tr("%1 dB RMS，最大 %2 dB").arg(Num(f.rmsDb, 2), Num(f.maxDb, 2));
}

// Why a measurement file is refused, in the user's language.
QString FileReason(const MeasureFileError& e) {
  const QString d = QString::fromStdString(e.detail);
  const QString d2 = QString::fromStdString(e.detail2);
  using K = MeasureFileError::Kind;
  switch (e.kind) {
    case K::None: return {};
    case K::File: return Tr("无法读取文件") + "\n" + d;
    case K::TooLarge: return Tr("文件大于 16 MiB，不是测量文件");
    case K::NotText: return Tr("不是文本文件");
    case K::NoData: return Tr("少于两行数字，不是测量文件");
    case K::BadNumber: return Tr("“%1” 不是数字").arg(d);
    case K::Ambiguous: return Tr("“%1” 中的逗号可能是千位分隔符，也可能是小数点；请去掉逗号或改用小数点").arg(d);
    case K::MixedMarks: return Tr("“%1”：文件中小数点与小数逗号混用").arg(d);
    case K::Columns: return Tr("这一行有 %1 列，数据应为 %2 列").arg(d, d2);
    case K::NotRising: return Tr("频率 %1 不大于上一行的 %2").arg(d, d2);
    case K::NotPositive: return Tr("频率 %1 不大于 0").arg(d);
    case K::OutOfRange: return Tr("电平 %1 dB 超出 ±400 dB").arg(d);
    case K::AfterData: return Tr("数据行之后出现文字");
  }
  return {};
}

std::string FileErrorText(const MeasureFileError& e) {
  QString text = Tr("测量文件无法读取：") + "\n" + QString::fromStdString(e.path);
  if (e.line > 0) text += "\n" + Tr("第 %1 行：%2").arg(e.line).arg(QString::fromStdString(e.lineText).trimmed());
  return (text + "\n" + FileReason(e)).toStdString();
}

// The console's slot rule for a band: the sound mode's slot, and the other one as well for a
// band common to both modes.
void WriteBand(Store& store, int address, const BandSetting& s) {
  const int m = store.CurrentSoundMode != 0 ? 1 : 0;
  ApplyBandSetting(store.ParamTable.at(m, address), s);
  if (store.ParamTable.at(0, address).PerMode == kFalse) ApplyBandSetting(store.ParamTable.at(1 - m, address), s);
}

// The level a curve is shown at: its mean over the fit's range, so that the target sits on 0 dB.
double MeanOver(const std::vector<double>& f, const std::vector<double>& db, double lo, double hi) {
  double sum = 0;
  int n = 0;
  for (size_t i = 0; i < f.size(); ++i)
    if (f[i] >= lo && f[i] <= hi) {
      sum += db[i];
      ++n;
    }
  return n > 0 ? sum / n : 0.0;
}

}  // namespace

// ---- The preview plot: measured, target, predicted and measured again ----

class MeasurePlot : public QWidget {
 public:
  struct Curve {
    std::vector<double> freq;
    std::vector<double> db;
    QColor colour;
    bool dashed = false;
    QString label;
  };

  explicit MeasurePlot(QWidget* parent) : QWidget(parent) {
    setObjectName("measurePlot");
    setMinimumSize(420, 180);
    setToolTip(Tr("测量预览\n蓝：测量；白色虚线：目标；橙：拟合后预测；青：再测 (拟合范围外为灰底)"));
  }
  void Set(std::vector<Curve> curves, double lo, double hi) {
    curves_ = std::move(curves);
    lo_ = lo;
    hi_ = hi;
    update();
  }
  const std::vector<Curve>& Curves() const { return curves_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(30, 33, 38));
    const QRectF plot(44, 10, width() - 54, height() - 34);
    constexpr double kTop = 12, kBottom = -24, kLow = 20, kHigh = 20000;
    const auto x = [&](double f) { return plot.left() + plot.width() * std::log(f / kLow) / std::log(kHigh / kLow); };
    const auto y = [&](double db) { return plot.top() + plot.height() * (kTop - db) / (kTop - kBottom); };
    // Outside the fit's range the plot is greyed.
    p.fillRect(QRectF(plot.left(), plot.top(), x(lo_) - plot.left(), plot.height()), QColor(44, 46, 52));
    p.fillRect(QRectF(x(hi_), plot.top(), plot.right() - x(hi_), plot.height()), QColor(44, 46, 52));
    p.setPen(QColor(90, 90, 90));
    for (double f : {20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0})
      p.drawLine(QPointF(x(f), plot.top()), QPointF(x(f), plot.bottom()));
    for (int db = 12; db >= -24; db -= 6) p.drawLine(QPointF(plot.left(), y(db)), QPointF(plot.right(), y(db)));
    p.setPen(QColor(170, 170, 170));
    for (int db = 12; db >= -24; db -= 12) p.drawText(QPointF(4, y(db) + 4), QString::number(db) + "dB");
    p.drawText(QPointF(x(20) - 8, plot.bottom() + 16), "20Hz");
    p.drawText(QPointF(x(100) - 12, plot.bottom() + 16), "100Hz");
    p.drawText(QPointF(x(1000) - 14, plot.bottom() + 16), "1kHz");
    p.drawText(QPointF(x(20000) - 34, plot.bottom() + 16), "20kHz");
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(plot);
    for (const Curve& c : curves_) {
      QPainterPath path;
      for (size_t i = 0; i < c.freq.size(); ++i) {
        const QPointF pt(x(c.freq[i]), y(c.db[i]));
        if (i == 0) path.moveTo(pt);
        else path.lineTo(pt);
      }
      p.setPen(QPen(c.colour, c.dashed ? 1.5 : 2, c.dashed ? Qt::DashLine : Qt::SolidLine));
      p.drawPath(path);
    }
    p.setClipping(false);
    qreal lx = plot.right() - 8;
    for (auto it = curves_.rbegin(); it != curves_.rend(); ++it) {
      const qreal w = p.fontMetrics().horizontalAdvance(it->label) + 24;
      lx -= w;
      p.setPen(QPen(it->colour, 2, it->dashed ? Qt::DashLine : Qt::SolidLine));
      p.drawLine(QPointF(lx, plot.top() + 10), QPointF(lx + 16, plot.top() + 10));
      p.setPen(QColor(230, 230, 230));
      p.drawText(QPointF(lx + 19, plot.top() + 14), it->label);
    }
  }

 private:
  std::vector<Curve> curves_;
  double lo_ = 20, hi_ = 500;
};

// ---- The window ----

MeasureWindow::MeasureWindow(ConsoleSession& session, FrmEq& eq, FileDialogs* dialogs)
    : QDialog(&eq, Qt::Window), session_(session), eq_(eq), graph_(eq.graph()), dialogs_(dialogs) {
  setObjectName("MeasureWindow");
  setWindowTitle(Tr("测量"));
  if (!dialogs_) {
    ownDialogs_ = std::make_unique<QtFileDialogs>();
    dialogs_ = ownDialogs_.get();
  }
  virtualRoom_ = session_.amplifier() != nullptr;
  if (virtualRoom_) port_ = std::make_unique<VirtualAudioPort>();
  else port_ = std::make_unique<QtAudioPort>();
  chooseTargetFile = [this] {
    return dialogs_->ChooseFile(this, false, Tr("选择目标曲线文件").toStdString(),
                                (Tr("目标曲线 (*.txt *.csv *.frd)") + ";;" + Tr("所有文件 (*)")).toStdString());
  };
  BuildUi();
  UpdateButtons();
}

MeasureWindow::~MeasureWindow() {
  if (thread_) {
    stop_ = true;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
  }
  // The graph no longer shows what this window drew (unless it went first, with the tuning
  // window).
  if (!graph_) return;
  ResponseModel& model = graph_->model();
  std::vector<CompareSource> keep;
  for (const CompareSource& s : model.ComparisonSources())
    if (!IsPointCurve(s.kind)) keep.push_back(s);
  if (keep.size() != model.ComparisonSources().size()) {
    model.SetComparisons(std::move(keep));
    graph_->view().DrawBase();
    graph_->view().DrawGraph();
    graph_->update();
  }
}

void MeasureWindow::BuildUi() {
  auto* layout = new QVBoxLayout(this);

  // The devices and the sweep.
  auto* source = new QGroupBox(Tr("测量"), this);
  auto* grid = new QGridLayout(source);
  output_ = new QComboBox(source);
  output_->setObjectName("measureOutput");
  output_->setToolTip(Tr("扫频从这个声音输出播放，接到功放的输入"));
  input_ = new QComboBox(source);
  input_->setObjectName("measureInput");
  input_->setToolTip(Tr("测量话筒接在这个声音输入上"));
  const QString byDefault = Tr("(系统默认)");
  if (!virtualRoom_) {
    output_->addItem(byDefault, QString());
    input_->addItem(byDefault, QString());
  }
  // The virtual room's devices are the console's own, named in the user's language; the
  // computer's keep the names the system gives them.
  const auto shown = [this](const std::string& n) {
    if (virtualRoom_ && n == VirtualAudioPort::kOutputName) return Tr("虚拟功放 (输入)");
    if (virtualRoom_ && n == VirtualAudioPort::kInputName) return Tr("虚拟房间 (测量话筒)");
    return QString::fromStdString(n);
  };
  for (const std::string& n : port_->Outputs()) output_->addItem(shown(n), QString::fromStdString(n));
  for (const std::string& n : port_->Inputs()) input_->addItem(shown(n), QString::fromStdString(n));
  length_ = new QDoubleSpinBox(source);
  length_->setObjectName("measureLength");
  length_->setRange(kMinSweepSeconds, kMaxSweepSeconds);
  length_->setDecimals(0);
  length_->setValue(8);
  length_->setSuffix(" s");
  length_->setToolTip(Tr("扫频长度 (2..16 秒)：越长，低频噪声越小"));
  repeat_ = new QSpinBox(source);
  repeat_->setObjectName("measureRepeat");
  repeat_->setRange(1, kMaxRepeat);
  repeat_->setToolTip(Tr("平均的扫频次数 (1..16)"));
  grid->addWidget(new QLabel(Tr("输出 (接功放输入)"), source), 0, 0);
  grid->addWidget(output_, 0, 1, 1, 3);
  grid->addWidget(new QLabel(Tr("输入 (测量话筒)"), source), 1, 0);
  grid->addWidget(input_, 1, 1, 1, 3);
  grid->addWidget(new QLabel(Tr("扫频长度"), source), 2, 0);
  grid->addWidget(length_, 2, 1);
  grid->addWidget(new QLabel(Tr("平均次数"), source), 2, 2);
  grid->addWidget(repeat_, 2, 3);
  levelCheck_ = new QPushButton(Tr("电平检查"), source);
  levelCheck_->setObjectName("measureLevelCheck");
  levelCheck_->setToolTip(Tr("播放 1 秒粉红噪声并显示输入电平；过低或削波时提醒"));
  meter_ = new QProgressBar(source);
  meter_->setObjectName("measureLevelMeter");
  meter_->setRange(-60, 0);
  meter_->setValue(-60);
  meter_->setTextVisible(false);
  meter_->setToolTip(Tr("输入电平 (dBFS，-60..0)"));
  meterText_ = new QLabel(Tr("输入电平：未检查"), source);
  meterText_->setObjectName("measureLevelText");
  meterText_->setWordWrap(true);
  grid->addWidget(levelCheck_, 3, 0);
  grid->addWidget(meter_, 3, 1, 1, 3);
  grid->addWidget(meterText_, 4, 0, 1, 4);
  layout->addWidget(source);

  auto* actions = new QHBoxLayout;
  measure_ = new QPushButton(Tr("测量"), this);
  measure_->setObjectName("measureStart");
  measure_->setToolTip(Tr("扫频 20 Hz..20 kHz，经过本页当前的设置和房间，录音并计算频率响应"));
  load_ = new QPushButton(Tr("载入测量…"), this);
  load_->setObjectName("measureLoad");
  load_->setToolTip(Tr("载入测量程序导出的文本 (频率 dB [相位])"));
  save_ = new QPushButton(Tr("保存测量…"), this);
  save_->setObjectName("measureSave");
  save_->setToolTip(Tr("把测量保存为测量程序能打开的文本"));
  cancel_ = new QPushButton(Tr("取消"), this);
  cancel_->setObjectName("measureCancel");
  cancel_->setToolTip(Tr("停止正在进行的检查、测量或拟合"));
  for (QPushButton* b : {measure_, load_, save_, cancel_}) actions->addWidget(b);
  layout->addLayout(actions);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("measureProgress");
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  status_ = new QLabel(this);
  status_->setObjectName("measureStatus");

  layout->addWidget(progress_);
  layout->addWidget(status_);

  // The fit.
  auto* fitBox = new QGroupBox(Tr("拟合"), this);
  auto* form = new QGridLayout(fitBox);
  target_ = new QComboBox(fitBox);
  target_->setObjectName("fitTarget");
  target_->addItems({Tr("平直"), Tr("倾斜 (dB/倍频程)"), Tr("低架提升 (dB)"), Tr("目标文件…")});
  target_->setToolTip(Tr("拟合的目标曲线"));
  targetValue_ = new QDoubleSpinBox(fitBox);
  targetValue_->setObjectName("fitTargetValue");
  targetValue_->setRange(-6, 15);
  targetValue_->setDecimals(1);
  targetValue_->setSingleStep(0.5);
  targetValue_->setToolTip(Tr("倾斜：每倍频程 dB (-6..6)；低架提升：100 Hz 以下提升的 dB (0..15)"));
  low_ = new QDoubleSpinBox(fitBox);
  low_->setObjectName("fitLow");
  high_ = new QDoubleSpinBox(fitBox);
  high_->setObjectName("fitHigh");
  for (QDoubleSpinBox* s : {low_, high_}) {
    s->setRange(20, 20000);
    s->setDecimals(0);
    s->setSuffix(" Hz");
  }
  low_->setValue(20);
  high_->setValue(500);
  low_->setToolTip(Tr("拟合范围的下限"));
  high_->setToolTip(Tr("拟合范围的上限 (至少高一个倍频程)"));
  maxBoost_ = new QDoubleSpinBox(fitBox);
  maxBoost_->setObjectName("fitMaxBoost");
  maxBoost_->setRange(0, 12);
  maxBoost_->setDecimals(1);
  maxBoost_->setValue(3);
  maxBoost_->setSuffix(" dB");
  maxBoost_->setToolTip(Tr("任何频率的最大提升；衰减可以更深"));
  lock_ = new QPushButton(Tr("锁定频段"), fitBox);
  lock_->setObjectName("fitLock");
  lock_->setMenu(new QMenu(lock_));
  lock_->setToolTip(Tr("锁定的频段保持原样，不参与拟合"));
  connect(lock_->menu(), &QMenu::aboutToShow, this, &MeasureWindow::LockMenu);
  LockMenu();
  fitButton_ = new QPushButton(Tr("拟合"), fitBox);
  fitButton_->setObjectName("fitRun");
  fitButton_->setToolTip(Tr("用功放自己的频率、Q 值和增益档位选择本页均衡频段"));
  form->addWidget(new QLabel(Tr("目标"), fitBox), 0, 0);
  form->addWidget(target_, 0, 1);
  form->addWidget(targetValue_, 0, 2);
  form->addWidget(new QLabel(Tr("范围"), fitBox), 1, 0);
  form->addWidget(low_, 1, 1);
  form->addWidget(high_, 1, 2);
  form->addWidget(new QLabel(Tr("最大提升"), fitBox), 2, 0);
  form->addWidget(maxBoost_, 2, 1);
  form->addWidget(lock_, 2, 2);
  form->addWidget(fitButton_, 3, 0, 1, 3);
  auto* top = new QHBoxLayout;
  layout->removeWidget(source);
  top->addWidget(source, 3);
  top->addWidget(fitBox, 2);
  layout->insertLayout(0, top);

  // The preview.
  plot_ = new MeasurePlot(this);
  layout->addWidget(plot_, 1);
  summary_ = new QLabel(this);
  summary_->setObjectName("fitSummary");
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_->setToolTip(Tr("与目标的偏差 (拟合范围内，不计整体电平，不含保留的谷)"));
  layout->addWidget(summary_);
  report_ = new QTableWidget(this);
  report_->setObjectName("fitReport");
  report_->setColumnCount(3);
  report_->setHorizontalHeaderLabels({Tr("频段"), Tr("原设置"), Tr("新设置")});
  report_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  report_->verticalHeader()->hide();
  report_->horizontalHeader()->setStretchLastSection(true);
  report_->setToolTip(Tr("拟合为每个频段选择的设置"));
  report_->setMinimumHeight(90);
  layout->addWidget(report_, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  apply_ = new QPushButton(Tr("应用"), this);
  apply_->setObjectName("fitApply");
  apply_->setToolTip(Tr("把拟合写入本页的均衡频段 (一步可撤销)，联机时发送到功放"));
  bottom->addWidget(apply_);
  layout->addLayout(bottom);

  connect(levelCheck_, &QPushButton::clicked, this, &MeasureWindow::StartLevelCheck);
  connect(measure_, &QPushButton::clicked, this, &MeasureWindow::StartMeasurement);
  connect(load_, &QPushButton::clicked, this, &MeasureWindow::LoadMeasurement);
  connect(save_, &QPushButton::clicked, this, &MeasureWindow::SaveMeasurement);
  connect(cancel_, &QPushButton::clicked, this, &MeasureWindow::Cancel);
  connect(fitButton_, &QPushButton::clicked, this, &MeasureWindow::StartFit);
  connect(apply_, &QPushButton::clicked, this, &MeasureWindow::ApplyFit);
  connect(target_, &QComboBox::currentIndexChanged, this, [this](int i) {
    targetValue_->setEnabled(i == 1 || i == 2);
    targetValue_->setRange(i == 2 ? 0 : -6, i == 2 ? 15 : 6);
    if (i == 3) {
      const std::string path = chooseTargetFile ? chooseTargetFile() : std::string();
      std::string why;
      if (path.empty() || !ParseFitTarget(path, targetFromFile_, why)) {
        if (!path.empty()) session_.notifier().Warning((Tr("目标文件无法使用：") + "\n" + QString::fromStdString(why)).toStdString());
        const QSignalBlocker quiet(target_);
        target_->setCurrentIndex(0);
        targetValue_->setEnabled(false);
        return;
      }
      targetFile_ = path;
    }
  });
  targetValue_->setEnabled(false);
  // The window never gets smaller than what its contents need, the summary's lines included.
  layout->setSizeConstraint(QLayout::SetMinimumSize);
  resize(900, 760);
}

void MeasureWindow::LockMenu() {
  // One entry per EQ band of the page shown, the checks kept by band number.
  QMenu* menu = lock_->menu();
  std::vector<bool> was;
  for (QAction* a : menu->actions()) was.push_back(a->isChecked());
  menu->clear();
  GraphBandTable t;
  BuildGraphBands(session_.store(), nullptr, t);
  const size_t n = PageEqBands(t).size();
  for (size_t k = 0; k < n; ++k) {
    QAction* a = menu->addAction(Tr("频段 %1").arg(k + 1));
    a->setObjectName(QString("fitLockBand%1").arg(k + 1));
    a->setCheckable(true);
    a->setChecked(k < was.size() && was[k]);
  }
}

LiveSettings MeasureWindow::Settings() const {
  LiveSettings s;
  s.output = output_->currentData().toString().toStdString();
  s.input = input_->currentData().toString().toStdString();
  s.sweep.seconds = length_->value();
  s.repeat = repeat_->value();
  return s;
}

QString MeasureWindow::StatusText() const { return status_->text(); }

void MeasureWindow::UpdateButtons() {
  const bool busy = Working();
  for (QWidget* w : std::initializer_list<QWidget*>{levelCheck_, measure_, load_, output_, input_, length_, repeat_, target_,
                                                    low_, high_, maxBoost_, lock_})
    w->setEnabled(!busy);
  targetValue_->setEnabled(!busy && (target_->currentIndex() == 1 || target_->currentIndex() == 2));
  save_->setEnabled(!busy && measured_.has_value());
  fitButton_->setEnabled(!busy && measured_.has_value());
  apply_->setEnabled(!busy && fit_.has_value() && fit_->ok && !applied_ && !fit_->kept && !fit_->ChangedAddresses().empty());
  cancel_->setEnabled(busy);
  measure_->setText(applied_ ? Tr("再测一次") : Tr("测量"));
}

void MeasureWindow::Progress(double done, const QString& status) {
  progress_->setValue(static_cast<int>(std::lround(std::clamp(done, 0.0, 1.0) * 1000)));
  if (!status.isEmpty()) status_->setText(status);
}

void MeasureWindow::Run(const QString& status, std::function<void()> work, std::function<void()> done) {
  if (thread_) return;
  stop_ = false;
  Progress(0, status);
  thread_ = QThread::create(std::move(work));
  connect(thread_, &QThread::finished, this, [this, done = std::move(done)] {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    done();
    UpdateButtons();
  });
  UpdateButtons();
  thread_->start();
}

void MeasureWindow::Cancel() {
  if (thread_) stop_ = true;
}

void MeasureWindow::closeEvent(QCloseEvent* event) {
  Cancel();
  QDialog::closeEvent(event);
}

void MeasureWindow::ShowLevel(const InputLevel& level, bool sweep) {
  meter_->setValue(static_cast<int>(std::clamp(std::lround(sweep ? level.peakDb : level.rmsDb), -60L, 0L)));
  QString verdict;
  QString colour = "#7CFC9A";
  switch (level.verdict) {
    case InputLevel::Verdict::Ok: verdict = Tr("正常"); break;
    case InputLevel::Verdict::TooLow:
      verdict = Tr("过低：请提高功放音量或话筒增益");
      colour = "#FFB74D";
      break;
    case InputLevel::Verdict::Clipping:
      verdict = Tr("削波：请降低功放音量或话筒增益");
      colour = "#FF6E6E";
      break;
  }
  meterText_->setText(Tr("输入电平 %1 dBFS，峰值 %2 dBFS：%3").arg(Num(level.rmsDb, 1), Num(level.peakDb, 1), verdict));
  meterText_->setStyleSheet("color: " + colour);
}

void MeasureWindow::StartLevelCheck() {
  if (Working()) return;
  auto level = std::make_shared<InputLevel>();
  auto result = std::make_shared<AudioResult>();
  const LiveSettings s = Settings();
  if (virtualRoom_)
    static_cast<VirtualAudioPort&>(*port_).SetAmplifier(
        AmplifierPageChain(*session_.amplifier(), session_.store().CurrentPage, session_.store().EffectSubPage));
  Run(Tr("电平检查中…"),
      [this, s, level, result] {
        *result = PlayPinkNoise(*port_, s, 1.0, *level,
                                [this](double d) {
                                  QMetaObject::invokeMethod(this, [this, d] { Progress(d, {}); }, Qt::QueuedConnection);
                                },
                                &stop_);
      },
      [this, level, result] {
        if (result->ok) {
          ShowLevel(*level, false);
          Progress(1, Tr("电平检查完成"));
        } else {
          Progress(0, result->cancelled ? Tr("已取消") : Tr("无法检查：%1").arg(QString::fromStdString(result->error)));
        }
      });
}

void MeasureWindow::StartMeasurement() {
  if (Working()) return;
  const LiveSettings s = Settings();
  // The virtual room plays through the page as the amplifier holds it now.
  if (virtualRoom_)
    static_cast<VirtualAudioPort&>(*port_).SetAmplifier(
        AmplifierPageChain(*session_.amplifier(), session_.store().CurrentPage, session_.store().EffectSubPage));
  auto result = std::make_shared<LiveResult>();
  const bool again = applied_;
  Run(again ? Tr("再测中…") : Tr("测量中…"),
      [this, s, result] {
        *result = RunLiveMeasurement(
            *port_, s,
            [this](const LiveProgress& p) {
              QString text;
              switch (p.stage) {
                case LiveProgress::Stage::LevelCheck: text = Tr("电平检查中…"); break;
                case LiveProgress::Stage::Sweep: text = Tr("扫频 %1/%2…").arg(p.sweep).arg(p.sweeps); break;
                case LiveProgress::Stage::Analysis: text = Tr("分析中…"); break;
              }
              QMetaObject::invokeMethod(this, [this, d = p.done, text] { Progress(d, text); }, Qt::QueuedConnection);
            },
            &stop_);
      },
      [this, result, again] {
        if (result->levelChecked) ShowLevel(result->noiseLevel, false);
        if (!result->ok) {
          Progress(0, result->cancelled ? Tr("已取消") : Tr("无法测量：%1").arg(QString::fromStdString(result->error)));
          return;
        }
        ShowLevel(result->sweepLevel, true);
        Progress(1, Tr("测量完成：延迟 %1 ms").arg(Num(result->ir.DelayMs(), 2)));
        SetMeasured(result->response, again);
      });
}

void MeasureWindow::SetMeasured(Measurement m, bool again) {
  if (again && fit_ && request_) {
    again_ = DeviationOf(*request_, *fit_, m);
    secondRun_ = std::move(m);
  } else {
    measured_ = std::move(m);
    secondRun_.reset();
    fit_.reset();
    request_.reset();
    again_.reset();
    applied_ = false;
    report_->setRowCount(0);
    summary_->clear();
  }
  ShowFit();
  ShowCurves();
  UpdateButtons();
}

bool MeasureWindow::BuildRequest(RoomFitRequest& req, QString& why) {
  const Store& store = session_.store();
  req.measured = *measured_;
  req.lowHz = low_->value();
  req.highHz = high_->value();
  req.maxBoostDb = maxBoost_->value();
  req.page = store.CurrentPage;
  BuildGraphBands(store, nullptr, req.bands);
  if (req.bands.locked) {
    why = Tr("超低音自动控制时, 本页均衡不可以拟合!");
    return false;
  }
  const size_t n = PageEqBands(req.bands).size();
  if (n == 0) {
    why = Tr("本页没有均衡频段");
    return false;
  }
  req.locked.assign(n, false);
  const QList<QAction*> locks = lock_->menu()->actions();
  for (qsizetype k = 0; k < locks.size() && static_cast<size_t>(k) < n; ++k) req.locked[static_cast<size_t>(k)] = locks[k]->isChecked();
  std::string text = "flat";
  switch (target_->currentIndex()) {
    case 1: text = "tilt=" + Num(targetValue_->value(), 1).toStdString(); break;
    case 2: text = "shelf=" + Num(std::max(0.0, targetValue_->value()), 1).toStdString(); break;
    case 3: req.target = targetFromFile_; break;
    default: break;
  }
  std::string error;
  if (target_->currentIndex() != 3 && !ParseFitTarget(text, req.target, error)) {
    why = QString::fromStdString(error);
    return false;
  }
  const std::string check = CheckRoomFitRequest(req);
  if (!check.empty()) {
    why = QString::fromStdString(check);
    return false;
  }
  return true;
}

void MeasureWindow::StartFit() {
  if (Working() || !measured_) return;
  auto req = std::make_shared<RoomFitRequest>();
  QString why;
  if (!BuildRequest(*req, why)) {
    session_.notifier().Warning((Tr("无法拟合：") + "\n" + why).toStdString());
    return;
  }
  fitPage_ = session_.store().CurrentPage;
  fitSubPage_ = session_.store().EffectSubPage;
  fitSound_ = session_.store().CurrentSoundMode;
  auto fit = std::make_shared<RoomFit>();
  Run(Tr("拟合中…"),
      [this, req, fit] {
        *fit = FitRoom(*req,
                       [this](double d) {
                         QMetaObject::invokeMethod(this, [this, d] { Progress(d, {}); }, Qt::QueuedConnection);
                       },
                       &stop_);
      },
      [this, req, fit] {
        if (!fit->ok) {
          Progress(0, fit->cancelled ? Tr("已取消") : Tr("无法拟合：%1").arg(QString::fromStdString(fit->error)));
          return;
        }
        request_ = *req;
        fit_ = *fit;
        applied_ = false;
        again_.reset();
        secondRun_.reset();
        Progress(1, Tr("拟合完成：用 %1 个频段").arg(fit->used));
        ShowFit();
        ShowCurves();
      });
}

void MeasureWindow::ShowFit() {
  if (!fit_) return;
  const RoomFit& f = *fit_;
  QString text = Tr("拟合前：%1").arg(Figures(f.before)) + "\n" + Tr("拟合后 (预测)：%1").arg(Figures(f.after)) + "\n" +
                 Tr("连续参数均衡 (同样 %1 个频段)：%2").arg(f.continuousBands.size()).arg(Figures(f.continuous));
  if (!f.dips.empty()) {
    QStringList ranges;
    for (const auto& [lo, hi] : f.dips) ranges << Hz(lo) + ".." + Hz(hi) + " Hz";
    text += "\n" + Tr("保留的谷 (不提升，不计入)：%1").arg(ranges.join(", "));
  }
  if (f.kept) text += "\n" + Tr("本页现有的频段已同样好：无需改动");
  if (again_) text += "\n" + Tr("再测：%1 (预测 %2)").arg(Figures(*again_), Figures(f.after));
  summary_->setText(text);
  report_->setRowCount(0);
  for (const FittedBand& b : f.bands) {
    if (b.before == b.after && !b.locked) continue;
    const int row = report_->rowCount();
    report_->insertRow(row);
    report_->setItem(row, 0, new QTableWidgetItem(Tr("频段 %1").arg(b.band + 1)));
    report_->setItem(row, 1, new QTableWidgetItem(SettingText(b.before)));
    report_->setItem(row, 2, new QTableWidgetItem(b.locked ? Tr("锁定") : b.used ? SettingText(b.after) : Tr("平直 (0 dB)")));
  }
  report_->resizeColumnsToContents();
}

void MeasureWindow::ShowCurves() {
  if (!measured_) return;
  const double lo = low_->value(), hi = high_->value();
  // Everything at the target's level: the measurement's mean over the range on 0 dB, or with a
  // fit its own level.
  std::vector<double> targetShape;
  const std::vector<double> grid = MeasureGrid();
  const Measurement shown = ResampleLog(*measured_, grid);
  double level = 0;
  if (fit_) {
    // The target where the fit placed it: at the predicted curve's level.
    const FitTarget& t = request_->target;
    for (double f : grid) targetShape.push_back(t.At(f));
    if (!fit_->freqs.empty()) level = fit_->target.front() - t.At(fit_->freqs.front());
  } else {
    targetShape.assign(grid.size(), 0.0);
    level = MeanOver(grid, shown.db, lo, hi);
  }
  auto shifted = [&](const std::vector<double>& f, const std::vector<double>& db) {
    auto c = std::make_shared<CurvePoints>();
    c->freqHz = f;
    for (double v : db) c->db.push_back(v - level);
    return c;
  };
  std::vector<std::pair<CompareKind, std::shared_ptr<const CurvePoints>>> curves;
  curves.emplace_back(CompareKind::Measured, shifted(grid, shown.db));
  auto target = std::make_shared<CurvePoints>();
  target->freqHz = grid;
  target->db = targetShape;
  curves.emplace_back(CompareKind::Target, target);
  if (fit_) curves.emplace_back(CompareKind::Predicted, shifted(fit_->freqs, fit_->predicted));
  if (secondRun_) curves.emplace_back(CompareKind::MeasuredAgain, shifted(grid, ResampleLog(*secondRun_, grid).db));

  static const char* const kLabels[] = {"测量结果", "目标", "预测", "再测"};
  std::vector<MeasurePlot::Curve> plotted;
  std::vector<CompareSource> sources;
  if (!graph_) return;
  ResponseModel& model = graph_->model();
  for (const CompareSource& s : model.ComparisonSources())
    if (!IsPointCurve(s.kind)) sources.push_back(s);
  for (const auto& [kind, points] : curves) {
    const int index = kind == CompareKind::Measured ? 0 : kind == CompareKind::Target ? 1 : kind == CompareKind::Predicted ? 2 : 3;
    const QString label = Tr(kLabels[index]);
    plotted.push_back({points->freqHz, points->db, QColor::fromRgba(CompareColour(kind)), kind == CompareKind::Target, label});
    CompareSource s;
    s.kind = kind;
    s.label = label.toStdString();
    s.curve = points;
    sources.push_back(std::move(s));
  }
  plot_->Set(std::move(plotted), lo, hi);
  model.SetComparisons(std::move(sources));
  graph_->view().DrawBase();
  graph_->view().DrawGraph();
  graph_->update();
}

void MeasureWindow::ApplyFit() {
  if (Working() || !fit_ || applied_) return;
  Store& store = session_.store();
  if (eq_.Busy() || session_.history().Restoring()) return;
  // The fit belongs to the page, sound mode and bands it was made on.
  GraphBandTable now;
  BuildGraphBands(store, nullptr, now);
  const std::vector<const GraphBand*> bands = PageEqBands(now);
  bool same = store.CurrentPage == fitPage_ && store.EffectSubPage == fitSubPage_ && store.CurrentSoundMode == fitSound_ &&
              bands.size() == fit_->bands.size();
  for (size_t k = 0; same && k < bands.size(); ++k)
    same = bands[k]->Addr == fit_->bands[k].address && BandSettingOf(*bands[k]) == fit_->bands[k].before;
  if (!same) {
    session_.notifier().Warning(Tr("拟合之后本页、声音模式或频段已改变，请重新拟合").toStdString());
    return;
  }
  if (now.locked) {
    session_.notifier().Warning(Tr("超低音自动控制时, 本页均衡不可以拟合!").toStdString());
    return;
  }
  const std::vector<int> changed = fit_->ChangedAddresses();
  if (changed.empty()) return;
  // One undo step: the snapshot, every band by the slot rule, then the sends.
  session_.history().PushSnapshot();
  for (const FittedBand& b : fit_->bands) WriteBand(store, b.address, b.after);
  applied_ = true;
  eq_.RefreshControls();
  ShowCurves();
  UpdateButtons();
  Progress(1, Tr("已应用 %1 个频段；可以再测一次").arg(changed.size()));
  if (!session_.link().Online || session_.link().Quitting) return;
  for (const int address : changed)
    if (!session_.SendInBulk(address)) break;
}

void MeasureWindow::LoadMeasurement() {
  if (Working()) return;
  const std::string path = dialogs_->ChooseFile(this, false, Tr("载入测量").toStdString(),
                                                (Tr("测量文件 (*.txt *.csv *.tsv *.frd)") + ";;" + Tr("所有文件 (*)")).toStdString());
  if (path.empty()) return;
  Measurement m;
  MeasureFileError error;
  if (!mirelune::LoadMeasurement(path, m, error)) {
    session_.notifier().Error(FileErrorText(error));
    return;
  }
  Progress(1, Tr("已载入 %1").arg(QString::fromStdString(path).section('/', -1)));
  SetMeasured(std::move(m), false);
}

void MeasureWindow::SaveMeasurement() {
  if (Working() || !measured_) return;
  const std::string path = dialogs_->ChooseFile(this, true, Tr("保存测量").toStdString(), Tr("测量文件 (*.txt)").toStdString());
  if (path.empty()) return;
  const std::string text = WriteMeasurement(secondRun_ ? *secondRun_ : *measured_);
  const FileResult r = ReplaceFile(path, std::vector<uint8_t>(text.begin(), text.end()));
  if (!r) {
    session_.notifier().Error((Tr("无法写入文件：") + "\n" + QString::fromStdString(r.error)).toStdString());
    return;
  }
  Progress(1, Tr("已保存 %1").arg(QString::fromStdString(path).section('/', -1)));
}

MeasureWindow* OpenMeasureWindow(ConsoleSession& session, FrmEq& eq, FileDialogs* dialogs) {
  auto* w = eq.findChild<MeasureWindow*>("MeasureWindow", Qt::FindDirectChildrenOnly);
  if (!w) w = new MeasureWindow(session, eq, dialogs);
  w->show();
  w->raise();
  w->activateWindow();
  return w;
}

}  // namespace mirelune::ui
