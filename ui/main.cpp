// The console. Until the tuning window exists it shows the model's start-up state.
#include <QApplication>
#include <QLabel>
#include <QString>

#include "model/store.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Mirelune");
  mirelune::Store store;
  store.InitDefaults();
  QLabel label(QString::fromUtf8("Mirelune — DSP 功放调音台\n参数表已初始化：%1 个地址")
                   .arg(mirelune::kAddressCount));
  label.setMinimumSize(480, 160);
  label.setAlignment(Qt::AlignCenter);
  label.show();
  return app.exec();
}
