// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/look/language.h"

#include <memory>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

#include "graph/skin.h"

#ifdef MIRELUNE_HAVE_TRANSLATIONS
static void InitTranslationResources() { Q_INIT_RESOURCE(translations); }
#else
static void InitTranslationResources() {}
#endif

namespace mirelune::ui {

namespace {

Language current = Language::Chinese;
std::unique_ptr<QTranslator> qtTranslator;
std::unique_ptr<QTranslator> ownTranslator;

}  // namespace

std::optional<Language> ParseLanguage(const std::string& text) {
  if (text == "zh" || text.rfind("zh_", 0) == 0 || text.rfind("zh-", 0) == 0) return Language::Chinese;
  if (text == "en" || text.rfind("en_", 0) == 0 || text.rfind("en-", 0) == 0) return Language::English;
  return std::nullopt;
}

const char* LanguageCode(Language l) { return l == Language::Chinese ? "zh" : "en"; }

Language ChooseLanguage(const std::optional<Language>& commandLine, const QString& saved,
                        const QLocale& system) {
  if (commandLine) return *commandLine;
  if (auto s = ParseLanguage(saved.toStdString())) return *s;
  return system.language() == QLocale::Chinese ? Language::Chinese : Language::English;
}

QString SavedLanguage() {
  QSettings settings("Mirelune", "Mirelune");
  return settings.value("language").toString();
}

void SaveLanguage(Language l) {
  QSettings settings("Mirelune", "Mirelune");
  settings.setValue("language", QString(LanguageCode(l)));
  settings.sync();
}

bool InstallLanguage(Language l) {
  InitTranslationResources();
  for (auto* t : {qtTranslator.get(), ownTranslator.get()})
    if (t) QCoreApplication::removeTranslator(t);
  qtTranslator.reset();
  ownTranslator.reset();
  current = l;
  skin::SetSkinLanguage(l == Language::Chinese ? skin::SkinLanguage::Chinese : skin::SkinLanguage::English);
  bool ok = true;
  if (l == Language::Chinese) {
    // Qt's own texts (standard buttons, file dialogs) in Chinese; the console's are Chinese.
    qtTranslator = std::make_unique<QTranslator>();
    if (qtTranslator->load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QCoreApplication::installTranslator(qtTranslator.get());
  } else {
    ownTranslator = std::make_unique<QTranslator>();
    ok = ownTranslator->load(":/i18n/mirelune_en.qm");
    if (ok) QCoreApplication::installTranslator(ownTranslator.get());
  }
  return ok;
}

Language CurrentLanguage() { return current; }

}  // namespace mirelune::ui
