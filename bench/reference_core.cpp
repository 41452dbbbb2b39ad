// SPDX-License-Identifier: GPL-3.0-or-later
// bench/cli_start.sh's floor for a program that loads Qt Core: it links Qt Core, makes one
// QString and prints it, nothing else. What a command of mirelune-cli costs beyond this is the
// tool's own.
#include <QString>
#include <cstdio>

int main(int argc, char**) {
  const QString text = QString::number(argc);
  std::puts(text.toUtf8().constData());
  return 0;
}
