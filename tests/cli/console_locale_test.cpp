// SPDX-License-Identifier: GPL-3.0-or-later
// The console under a locale whose decimal separator is a comma (ctest runs this program with
// LC_ALL=de_DE.UTF-8 from the locales compiled for the tests): QApplication takes the locale
// from the environment, as the console's main() does, and the start-up - scales, start-up
// content, the read of the virtual amplifier - must neither abort nor write "8,0dB".
#include <QApplication>
#include <QTest>

#include <clocale>

#include "controls/value_type.h"
#include "graph/graph_overlay.h"
#include "model/scales.h"
#include "tests/ui/console_fixture.h"

namespace mirelune::ui::testing {

class ConsoleLocaleTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    // The premise: Qt set the C library's locale from the environment, and it is a comma one.
    QCOMPARE(std::localeconv()->decimal_point, ",");
  }

  void startsAndShowsPointDecimals() {
    Console c;
    QVERIFY(c.Synced());
    const std::vector<GraphText> texts = LayoutSelectedTexts(c.graph().model());
    QString all;
    for (const GraphText& t : texts) all += QString::fromStdString(t.text) + " | ";
    // Band 0 of the music page: gain code 330 of the start-up curve, Q 1.00.
    QVERIFY2(all.contains("8.0dB") && all.contains("1.00 Q"), qPrintable(all));
    QVERIFY2(!all.contains(','), qPrintable(all));
    QCOMPARE(controls::ShownText(4, 0), QStringLiteral("0.5"));
    QCOMPARE(controls::FrequencyText(1), QStringLiteral("19.7"));
    QCOMPARE(GainFromText("-3.5"), 215);
  }
};

}  // namespace mirelune::ui::testing

QTEST_MAIN(mirelune::ui::testing::ConsoleLocaleTest)
#include "console_locale_test.moc"
