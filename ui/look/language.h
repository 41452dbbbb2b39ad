// SPDX-License-Identifier: GPL-3.0-or-later
// Folder ui/look/: the console's language and its dark look for what Qt draws itself. May include:
// graph/, platform/ and what lies under them.
//
// The console's language: Chinese (the source texts) or English. Chosen at start from, in this
// order, the command line (--lang zh|en), the choice saved by the menu "语言 / Language"
// (QSettings key "language"), and the system locale (Chinese locales give Chinese, all others
// English). Installing a language loads Qt's own translations for Chinese (standard buttons,
// file dialogs) or the console's English translation, and picks the skin images of the language.
// UI thread only.
#pragma once

#include <optional>
#include <string>

#include <QLocale>
#include <QString>

namespace mirelune::ui {

enum class Language { Chinese, English };

// "zh" / "en" (also "zh_CN", "en_US"...); nullopt for anything else.
std::optional<Language> ParseLanguage(const std::string& text);
const char* LanguageCode(Language l);  // "zh" / "en"

// The language for a command-line choice (may be empty), a saved choice ("zh"/"en" or empty)
// and the system locale.
Language ChooseLanguage(const std::optional<Language>& commandLine, const QString& saved,
                        const QLocale& system);

// The saved choice, and saving one (the menu's choice survives a restart).
QString SavedLanguage();
void SaveLanguage(Language l);

// Installs the translators of `l` into the application (replacing earlier ones) and chooses the
// skin images of the language. Returns false when the console's own translation could not be
// loaded (the texts then stay Chinese).
bool InstallLanguage(Language l);
Language CurrentLanguage();

}  // namespace mirelune::ui
