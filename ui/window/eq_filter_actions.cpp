// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/eq_filter_actions.h"

#include <cmath>

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "model/file_bytes.h"
#include "model/menu_catalogue.h"
#include "model/scales.h"
#include "platform/file_dialogs.h"
#include "ui/session/console_session.h"
#include "ui/tuning/frm_eq.h"
#include "ui/graph/graph_widget.h"
#include "model/slot_rule.h"

namespace mirelune::ui {
namespace {

// The console's one translation context.
QString T(const char* source) { return QCoreApplication::translate("Mirelune", source); }

QString Num(double v, int decimals) {
  // QString::number writes "." whatever the locale.
  const QString s = QString::number(v, 'f', decimals);
  return s.startsWith('-') && s.toDouble() == 0.0 ? s.mid(1) : s;
}

QString Hz(double v) {
  QString s = Num(v, 2);
  while (s.endsWith('0')) s.chop(1);
  if (s.endsWith('.')) s.chop(1);
  return s;
}

QString PageName(const Store& store) {
  const int page = store.CurrentPage;
  QString name = T(CatalogueKindCaption(page));
  if (page == 3) {
    static const char* const kParts[] = {"回声均衡器", "混响均衡器", "效果均衡器"};
    name += " · " + T(kParts[store.EffectSubPage % 3]);
  }
  return name + " · " + T(store.CurrentSoundMode == 0 ? "唱歌模式" : "劲舞模式");
}

// ---- What a filter file's refusal says ----

QString ErrorReason(const FilterSetError& e) {
  const QString d = QString::fromStdString(e.detail);
  const QString d2 = QString::fromStdString(e.detail2);
  using K = FilterSetError::Kind;
  switch (e.kind) {
    case K::None: return {};
    case K::File: return T("无法读取文件") + "\n" + d;
    case K::TooLarge: return T("文件大于 1 MiB，不是滤波器文件");
    case K::NotText: return T("不是文本文件");
    case K::NoFilters: return T("文件中没有 Filter 或 Preamp 行，不是滤波器文件");
    case K::NoColon: return T("滤波器编号后缺少冒号");
    case K::Command: return T("不支持 Equalizer APO 的命令 %1 (只支持 Preamp 和 Filter)").arg(d);
    case K::NoOnOff: return T("冒号后应为 ON 或 OFF");
    case K::NoType: return T("滤波器没有类型");
    case K::BadNumber: return T("“%1” 不是数字").arg(d);
    case K::Ambiguous: return T("“%1” 中的逗号可能是千位分隔符，也可能是小数点；请去掉逗号或改用小数点").arg(d);
    case K::NoValue: return T("%1 没有数值").arg(d);
    case K::NoUnit: return T("斜率 %1 缺少单位 dB").arg(d);
    case K::NotAValue: return T("“%1” 不是 %2 滤波器的参数").arg(d, d2);
    case K::NotPositive: return T("%1 必须大于 0").arg(d);
    case K::MissingValues: return T("%1 滤波器需要 %2").arg(d, d2);
    case K::AfterValue: return T("前级增益的数值后多了 “%1”").arg(d);
    case K::OutOfRange: return T("%1 %2 超出任何滤波器的范围").arg(d, d2);
  }
  return {};
}

std::string ErrorText(const FilterSetError& e) {
  QString text = T("滤波器文件无法导入：") + "\n" + QString::fromStdString(e.path);
  if (e.line > 0)
    text += "\n" + T("第 %1 行：%2").arg(e.line).arg(QString::fromStdString(e.lineText).trimmed());
  return (text + "\n" + ErrorReason(e)).toStdString();
}

// ---- The report's texts ----

bool IsShelf(FilterType t) { return t == FilterType::LowShelf || t == FilterType::HighShelf; }

QString AskedText(const Filter& f, const FilterFit& fit) {
  QString s = QString(f.on ? "ON " : "OFF ") + QString::fromStdString(f.typeText);
  if (f.hasFreq) s += " " + Hz(f.freqHz) + " Hz";
  if (f.hasGain) s += " " + Num(f.gainDb, 1) + " dB";
  if (IsShelf(f.type)) s += " S " + Num(fit.slope, 2);
  else if (f.hasQ) s += " Q " + Num(f.q, 2);
  return s;
}

QString SetText(const FilterFit& fit) {
  if (fit.outcome != FitOutcome::Placed) return QStringLiteral("—");
  const BandSetting& s = fit.set;
  QString t = T("频段 %1：").arg(fit.band + 1);
  t += s.QType == 1 ? "LS" : s.QType == 2 ? "HS" : "PK";
  t += " " + Hz(FreqAt(s.Freq)) + " Hz " + QString::fromStdString(GainText(s.Gain)) + " dB";
  t += s.QType == 0 ? " Q " + QString::fromStdString(QIndexText(s.Q))
                    : " S " + QString::fromStdString(QIndexText(s.SQ));
  return t;
}

QString OutcomeText(const Filter& f, const FilterFit& fit, int bands) {
  switch (fit.outcome) {
    case FitOutcome::Placed: return T("已放置");
    case FitOutcome::Off: return T("关闭 (OFF)，不导入");
    case FitOutcome::Empty: return T("空位 (None)");
    case FitOutcome::Unsupported:
      return T("未放置：均衡频段没有 %1 类型 (只有峰值、低架、高架)").arg(QString::fromStdString(f.typeText));
    case FitOutcome::NoBandLeft:
      return T("未放置：没有空余的频段 (本页有 %1 个均衡频段，增益最大的滤波器优先)").arg(bands);
    case FitOutcome::OutOfRange: break;
  }
  const bool freq = fit.value == FitValue::Freq;
  const QString unit = freq ? " Hz" : fit.value == FitValue::Gain ? " dB" : "";
  const auto n = [&](double v) { return freq ? Hz(v) : Num(v, 2); };
  const char* name = freq ? "频率" : fit.value == FitValue::Gain ? "增益" : fit.value == FitValue::Q ? "Q 值" : "架型斜率";
  return T("未放置：%1 %2 超出范围 %3..%4")
      .arg(T(name), n(fit.asked) + unit, n(fit.low), n(fit.high) + unit);
}

// ---- The plot: the asked curve over the realised one ----

class EqCurvePlot : public QWidget {
 public:
  EqCurvePlot(const EqFit& fit, QWidget* parent) : QWidget(parent), fit_(fit) {
    setObjectName("eqPreviewPlot");
    setMinimumSize(600, 230);
    setToolTip(T("导入预览曲线\n白色虚线：文件要求的总响应；黄色：放置到频段后实现的总响应 (20 Hz..20 kHz)"));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(30, 33, 38));
    const QRectF plot(44, 10, width() - 54, height() - 34);
    constexpr double kTop = 16, kBottom = -27;
    const auto x = [&](double f) {
      return plot.left() + plot.width() * std::log(f / kFitLowHz) / std::log(kFitHighHz / kFitLowHz);
    };
    const auto y = [&](double db) { return plot.top() + plot.height() * (kTop - db) / (kTop - kBottom); };
    p.setPen(QColor(90, 90, 90));
    for (double f : {20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0})
      p.drawLine(QPointF(x(f), plot.top()), QPointF(x(f), plot.bottom()));
    for (int db = 12; db >= -24; db -= 6) p.drawLine(QPointF(plot.left(), y(db)), QPointF(plot.right(), y(db)));
    p.setPen(QColor(170, 170, 170));
    for (int db = 12; db >= -24; db -= 12) p.drawText(QPointF(4, y(db) + 4), QString::number(db) + "dB");
    p.drawText(QPointF(x(20) - 8, plot.bottom() + 16), "20Hz");
    p.drawText(QPointF(x(1000) - 14, plot.bottom() + 16), "1KHz");
    p.drawText(QPointF(x(20000) - 34, plot.bottom() + 16), "20KHz");
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(plot);
    QPainterPath asked, realised;
    for (size_t i = 0; i < fit_.freqs.size(); ++i) {
      const QPointF a(x(fit_.freqs[i]), y(fit_.asked[i]));
      const QPointF r(x(fit_.freqs[i]), y(fit_.realised[i]));
      if (i == 0) {
        asked.moveTo(a);
        realised.moveTo(r);
      } else {
        asked.lineTo(a);
        realised.lineTo(r);
      }
    }
    p.setPen(QPen(QColor(255, 200, 0), 2));
    p.drawPath(realised);
    p.setPen(QPen(QColor(240, 240, 240), 1.5, Qt::DashLine));
    p.drawPath(asked);
    p.setClipping(false);
    p.setPen(QColor(240, 240, 240));
    p.drawText(QPointF(plot.right() - 150, plot.top() + 14), T("- - 要求"));
    p.setPen(QColor(255, 200, 0));
    p.drawText(QPointF(plot.right() - 80, plot.top() + 14), T("—— 实现"));
  }

 private:
  const EqFit& fit_;
};

// Writes the fit as one undo step, refreshes the window and sends what changed while online.
void ApplyFit(ConsoleSession& session, FrmEq& window, const EqFit& fit) {
  const std::vector<int> changed = fit.ChangedAddresses();
  if (changed.empty()) return;
  Store& store = session.store();
  session.history().PushSnapshot();
  for (size_t k = 0; k < fit.bandAddresses.size(); ++k)
    WriteBySlotRule(store, fit.bandAddresses[k], [&](ParamRecord& r) { ApplyBandSetting(r, fit.after[k]); });
  window.RefreshControls();
  if (!session.link().Online || session.link().Quitting) return;
  for (const int address : changed)
    if (!session.SendInBulk(address)) break;
}

bool Idle(ConsoleSession& session, FrmEq& window) {
  return !window.Busy() && !session.history().Restoring();
}

}  // namespace

std::string EqImportFilterEntries() {
  return (T("滤波器文件 (*.txt *.TXT)") + ";;" + T("所有文件 (*)")).toStdString();
}

std::string EqExportFilterEntries() {
  return (T("REW 滤波器设置 (*.txt)") + ";;" + T("Equalizer APO 配置 (*.txt)")).toStdString();
}

EqImportPreview::EqImportPreview(const FilterSet& set, const EqFit& fit, const QString& pageName,
                                 QWidget* parent)
    : QDialog(parent) {
  setObjectName("EqImportPreview");
  setWindowTitle(T("EQ 导入预览"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new EqCurvePlot(fit, this));

  const int bands = static_cast<int>(fit.bandAddresses.size());
  summary_ = new QLabel(this);
  summary_->setObjectName("eqPreviewSummary");
  QString summary = T("%1：%2 个均衡频段；放置 %3 个滤波器").arg(pageName).arg(bands).arg(fit.placed);
  if (fit.notPlaced > 0) summary += T("，%1 项未放置").arg(fit.notPlaced);
  summary += "\n" + T("要求与实现的总响应最大相差 %1 dB (20 Hz..20 kHz)").arg(Num(fit.maxDiffDb, 2));
  if (!fit.askedKnown) summary += T("，不含响应未知的滤波器");
  if (fit.placed < bands) summary += "\n" + T("未用的频段 %1..%2 设为平直 (0 dB)").arg(fit.placed + 1).arg(bands);
  summary_->setText(summary);
  summary_->setToolTip(T("导入结果摘要"));
  layout->addWidget(summary_);

  report_ = new QTableWidget(this);
  report_->setObjectName("eqPreviewReport");
  report_->setToolTip(T("每个滤波器的要求、放置到的频段和实际设置，以及要求与实现的响应最大相差 (dB)"));
  report_->setColumnCount(5);
  report_->setHorizontalHeaderLabels({T("滤波器"), T("要求"), T("设置"), T("最大相差 dB"), T("结果")});
  report_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  report_->verticalHeader()->hide();
  const auto addRow = [&](const QStringList& cells) {
    const int row = report_->rowCount();
    report_->insertRow(row);
    for (int c = 0; c < cells.size(); ++c) report_->setItem(row, c, new QTableWidgetItem(cells[c]));
  };
  for (const FilterFit& ff : fit.filters) {
    const Filter& f = set.filters[static_cast<size_t>(ff.index)];
    addRow({T("%1 (第 %2 行)").arg(ff.index + 1).arg(f.line), AskedText(f, ff), SetText(ff),
            std::isfinite(ff.maxDiffDb) ? Num(ff.maxDiffDb, 2) : QStringLiteral("—"), OutcomeText(f, ff, bands)});
  }
  if (fit.preampNotPlaced)
    addRow({T("前级增益 (第 %1 行)").arg(fit.preampLine), "Preamp " + Num(fit.preampDb, 1) + " dB",
            QStringLiteral("—"), QStringLiteral("—"), T("未放置：均衡频段没有前级增益")});
  report_->resizeColumnsToContents();
  report_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(report_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  apply_ = new QPushButton(T("应用"), this);
  apply_->setObjectName("eqPreviewApply");
  apply_->setToolTip(T("把已放置的滤波器写入本页的均衡频段 (可撤销)，联机时发送到功放"));
  auto* cancel = new QPushButton(T("取消"), this);
  cancel->setObjectName("eqPreviewCancel");
  cancel->setToolTip(T("不导入，关闭预览"));
  apply_->setEnabled(fit.placed > 0 || !fit.ChangedAddresses().empty());
  buttons->addWidget(apply_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(apply_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(1000, 600);
}

void ImportEqFilters(ConsoleSession& session, FrmEq& window, FileDialogs& dialogs) {
  if (!Idle(session, window)) return;
  if (window.graph()->model().Locked()) {
    session.notifier().Warning(T("超低音自动控制时, 本页均衡不可以导入!").toStdString());
    return;
  }
  const std::string path = dialogs.ChooseFile(&window, false, T("导入EQ滤波器文件").toStdString(),
                                              EqImportFilterEntries());
  if (path.empty()) return;
  FilterSet set;
  FilterSetError error;
  if (!LoadFilterSet(path, set, error)) {
    session.notifier().Error(ErrorText(error));
    return;
  }
  const EqFit preview = FitFilterSet(session.store(), set);
  EqImportPreview dialog(set, preview, PageName(session.store()), &window);
  if (dialog.exec() != QDialog::Accepted || !Idle(session, window)) return;
  // The link keeps running while the preview shows: the fit is taken from the store as it is now.
  ApplyFit(session, window, FitFilterSet(session.store(), set));
}

void ExportEqFilters(ConsoleSession& session, FrmEq& window, FileDialogs& dialogs) {
  if (!Idle(session, window)) return;
  int format = 0;
  const std::string path = dialogs.ChooseFile(&window, true, T("导出EQ滤波器文件").toStdString(),
                                              EqExportFilterEntries(), &format);
  if (path.empty()) return;
  const std::string text =
      WriteFilterSet(PageFilterSet(session.store()), format == 1 ? FilterFormat::Apo : FilterFormat::Rew);
  const FileResult r = ReplaceFile(path, std::vector<uint8_t>(text.begin(), text.end()));
  if (!r) {
    session.notifier().Error((T("无法写入文件：") + "\n" + QString::fromStdString(r.error)).toStdString());
    return;
  }
  session.notifier().Information(T("已写入文件！").toStdString());
}

}  // namespace mirelune::ui
