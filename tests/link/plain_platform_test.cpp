// SPDX-License-Identifier: GPL-3.0-or-later
// What the platform's plain code must give as Qt gives it, for the tool's run without Qt to say
// and find the same: texts filled as QString::arg fills them, and the user's data folder as
// QStandardPaths names it.
#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/text.h"
#include "platform/user_folders.h"

namespace mirelune {
namespace {

TEST(PlainText, FillsAsQStringArg) {
  struct Row {
    const char* pattern;
    std::string a, b;
  };
  const Row rows[] = {
      {"%1 正被 %2 使用；请先在那里关闭它", "virtual:a", "mirelune (PID 42)"},
      {"在此之前 %2 项修改中已确认 %1 项", "3", "5"},  // the values in another order
      {"%1 and %1 again, then %2", "x", "y"},
      {"100% of %1 in %2%", "a", "b"},                 // '%' that is no placeholder stays
      {"%1 秒后放弃", "%2", "never"},                   // a value is not filled again
      {"nothing to fill", "a", "b"},
      {"%2%1", "", "b"},
  };
  for (const Row& r : rows) {
    const std::string qt = QString::fromUtf8(r.pattern).arg(QString::fromStdString(r.a), QString::fromStdString(r.b)).toStdString();
    EXPECT_EQ(Filled(r.pattern, {r.a, r.b}), qt) << r.pattern;
  }
}

// Restores an environment variable when the test ends.
class Env {
 public:
  explicit Env(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v;
  }
  ~Env() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }
  void Set(const char* value) {
    if (value) ::setenv(name_, value, 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(PlainFolders, TheDataFolderIsQtsGenericDataLocation) {
  Env data("XDG_DATA_HOME"), home("HOME");
  struct Row {
    const char* dataHome;  // null: unset
    const char* home;
  };
  const Row rows[] = {
      {"/a/b", "/root"},       {"/a/b/", "/root"},  {"/a//b/../c", "/root"}, {"rel/x", "/root"},
      {"", "/root"},           {nullptr, "/h/x/"},  {"", "/h//y/./z/.."},    {nullptr, ""},
      {nullptr, nullptr},      {"", "rel"},         {nullptr, "/"},          {nullptr, "/h/../.."},
      {nullptr, "/a/../../b"}, {nullptr, "a/../.."}, {nullptr, "a/.."},         {nullptr, "//a/./b/"},
  };
  for (const Row& r : rows) {
    data.Set(r.dataHome);
    home.Set(r.home);
    const std::string qt = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
    EXPECT_EQ(UserDataFolder(), qt) << "XDG_DATA_HOME=" << (r.dataHome ? r.dataHome : "(unset)")
                                    << " HOME=" << (r.home ? r.home : "(unset)");
  }
}

}  // namespace
}  // namespace mirelune
