// SPDX-License-Identifier: GPL-3.0-or-later
// A test program's own runtime, data and settings folders under the build's test folder, so
// that the locks, sockets, virtual memories and settings it makes touch nobody else's.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>

namespace mirelune::ui::testing {

// Empties `<test-tmp>/NAME`, makes its run folder user-only and points XDG_RUNTIME_DIR,
// XDG_DATA_HOME and XDG_CONFIG_HOME there. Returns the folder; empty when it cannot be made.
inline QString IsolateUserFolders(const QString& name) {
  const QByteArray tmp = qgetenv("MIRELUNE_TEST_TMP");
  const QString dir = (tmp.isEmpty() ? QString(MIRELUNE_BUILD_DIR) + "/test-tmp" : QString(tmp)) + "/" + name;
  QDir(dir).removeRecursively();
  if (!QDir().mkpath(dir + "/run")) return {};
  QFile::setPermissions(dir + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("XDG_RUNTIME_DIR", (dir + "/run").toUtf8());
  qputenv("XDG_DATA_HOME", (dir + "/data").toUtf8());
  qputenv("XDG_CONFIG_HOME", (dir + "/config").toUtf8());
  return dir;
}

}  // namespace mirelune::ui::testing
