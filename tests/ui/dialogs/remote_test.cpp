// SPDX-License-Identifier: GPL-3.0-or-later
// The room remote served from the console, reached as a user reaches it (Device > Remote
// control..., the start button): a phone's change lands on the amplifier, the store and the
// master slider at once and is one undo step; the console's own edits reach the phone's
// WebSocket; unticking a parameter in the remote list takes it from staff at once and is kept.
#include <QAction>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QWebSocket>

#include "controls/mscrollbar.h"
#include "platform/qt_scheduler.h"
#include "platform/recording_notifier.h"
#include "remote/remote_server.h"
#include "remote/staff_settings.h"
#include "sim/virtual_amplifier.h"
#include "sim/virtual_state.h"
#include "tests/remote/serve_process.h"
#include "ui/session/console_session.h"
#include "ui/tuning/frm_eq.h"
#include "tests/ui/user_folders.h"
#include "ui/window/mdi_main.h"
#include "ui/tuning/mode_controls.h"
#include "ui/dialogs/remote_dialog.h"
#include "ui/look/language.h"

using namespace mirelune;
using namespace mirelune::ui;
using mirelune::testing::Http;
using mirelune::testing::HttpReply;
using mirelune::testing::PollUntil;

class RemoteConsoleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    dir_ = mirelune::ui::testing::IsolateUserFolders("ui_remote");
    QVERIFY(!dir_.isEmpty());
  }

  void aPhoneDrivesTheConsoleAndTheConsoleThePhone() {
    ConsoleOptions options;
    options.device = ConsoleOptions::Device::Virtual;
    options.address = "virtual:r";
    options.own = true;
    options.virtualStatePath = VirtualStatePath("r");
    QtScheduler scheduler;
    RecordingNotifier messages;
    ConsoleSession session(options, scheduler, messages);
    MdiMain frame(session);
    frame.show();
    session.Start();
    QTRY_VERIFY_WITH_TIMEOUT(session.StatusFacts().modeNumber >= 0, 5000);

    // Device > Remote control..., then the start button, on a free port.
    QAction* open = frame.findChild<QAction*>("CmdRemoteControl");
    QVERIFY(open);
    open->trigger();
    auto* dialog = frame.findChild<RemoteDialog*>("RemoteDialog");
    QVERIFY(dialog && dialog->isVisible());
    auto* listen = dialog->findChild<QLineEdit*>("remoteListen");
    QCOMPARE(listen->text(), QString("127.0.0.1:8808"));
    listen->setText("127.0.0.1:0");
    QTest::mouseClick(dialog->findChild<QPushButton*>("remoteStart"), Qt::LeftButton);
    QVERIFY(dialog->Running());
    const QString state = dialog->findChild<QLabel*>("remoteState")->text();
    QVERIFY2(state.contains("http://127.0.0.1:"), qPrintable(state));
    QVERIFY(!dialog->findChild<QLabel*>("remoteQr")->pixmap().isNull());
    QVERIFY(dialog->findChild<QLabel*>("remotePin")->text().contains(QString::fromStdString(dialog->server()->Pin())));
    const QUrl base(QString::fromStdString(dialog->server()->Url()));

    QNetworkAccessManager net;
    const QByteArray token = Http(net, "POST", base.resolved(QUrl("/api/v1/session")),
                                  QJsonDocument(QJsonObject{{"pin", QString::fromStdString(dialog->server()->Pin())}}).toJson())
                                 .json().value("token").toString().toLatin1();
    QVERIFY(!token.isEmpty());

    // A phone's change: on the amplifier, in the store, on the master slider; the microphone
    // volume is one undo step (the master volumes are outside the undo history, as the
    // console's own master sliders are).
    const int micBefore = session.store().ParamTable.at(0, 276).Value;
    QVERIFY(!session.history().CanUndo());
    const HttpReply put = Http(net, "PUT", base.resolved(QUrl("/api/v1/params")), R"({"2560": 33, "276": 150})", token);
    QCOMPARE(put.status, 200);
    QCOMPARE(session.amplifier()->Working().at(0, 2560).Value, 33);
    QCOMPARE(session.store().ParamTable.at(0, 2560).Value, 33);
    QCOMPARE(session.amplifier()->Working().at(0, 276).Value, 150);
    QCOMPARE(frame.tuningWindow()->Modes()->MasterSlider(0)->Value(), 33.0f);
    // The log line in the console's language: who, and the parameter by its Chinese name.
    const QString log = dialog->findChild<QPlainTextEdit*>("remoteLog")->toPlainText();
    QVERIFY2(log.contains(QString::fromUtf8(" 员工 2560 10:音乐总音量 ")), qPrintable(log));
    QVERIFY(session.history().CanUndo());
    QVERIFY(session.history().Undo());
    QCOMPARE(session.amplifier()->Working().at(0, 276).Value, micBefore);
    QVERIFY(!session.history().CanUndo());

    // The console's own edit reaches the phone.
    QWebSocket ws;
    QSignalSpy received(&ws, &QWebSocket::textMessageReceived);
    QUrl events = base.resolved(QUrl("/api/v1/events?token=" + QString::fromLatin1(token)));
    events.setScheme("ws");
    ws.open(events);
    QVERIFY(PollUntil(5000, [&] { return received.count() >= 1; }));
    controls::MScrollBar* master = frame.tuningWindow()->Modes()->MasterSlider(0);
    master->SetValue(12);
    emit master->Scroll();
    QVERIFY(PollUntil(5000, [&] {
      for (const auto& m : received)
        if (m.at(0).toString().contains("\"address\":2560") && m.at(0).toString().contains("\"value\":12")) return true;
      return false;
    }));

    // In English, the log and the staff list speak English too, and the second microphone group
    // is "Mic 3", as the console names it.
    frame.SwitchLanguage(Language::English);
    QCOMPARE(Http(net, "PUT", base.resolved(QUrl("/api/v1/params")), R"({"2561": 24})", token).status, 200);
    const QString english = dialog->findChild<QPlainTextEdit*>("remoteLog")->toPlainText();
    QVERIFY2(english.contains(" staff 2561 10:Microphone master volume "), qPrintable(english));
    QStringList rows;
    for (int i = 0; i < dialog->findChild<QListWidget*>("remoteStaffList")->count(); ++i)
      rows << dialog->findChild<QListWidget*>("remoteStaffList")->item(i)->text();
    QVERIFY2(rows.contains("Microphone volume · Mic 3 (532)"), qPrintable(rows.join("\n")));
    QVERIFY(!rows.join("\n").contains("3/4"));
    frame.SwitchLanguage(Language::Chinese);
    QTRY_VERIFY_WITH_TIMEOUT(session.StatusFacts().modeNumber >= 0, 5000);

    // Unticking the master volume in the remote list takes it from staff now and next time.
    auto* list = dialog->findChild<QListWidget*>("remoteStaffList");
    QListWidgetItem* item = nullptr;
    for (int i = 0; i < list->count(); ++i)
      if (list->item(i)->data(Qt::UserRole).toInt() == 2560) item = list->item(i);
    QVERIFY(item);
    QCOMPARE(item->checkState(), Qt::Checked);
    item->setCheckState(Qt::Unchecked);
    QCOMPARE(Http(net, "PUT", base.resolved(QUrl("/api/v1/params")), R"({"2560": 20})", token).status, 403);
    const StaffList saved = LoadStaffList();
    QVERIFY(!std::binary_search(saved.addresses.begin(), saved.addresses.end(), 2560));
    QVERIFY(std::binary_search(saved.addresses.begin(), saved.addresses.end(), 2561));

    // Stop ends it.
    QTest::mouseClick(dialog->findChild<QPushButton*>("remoteStart"), Qt::LeftButton);
    QVERIFY(!dialog->Running());
    QCOMPARE(Http(net, "GET", base.resolved(QUrl("/api/v1/device")), {}, token, 3000).status, 0);
  }

 private:
  QString dir_;
};

QTEST_MAIN(RemoteConsoleTest)
#include "remote_test.moc"
