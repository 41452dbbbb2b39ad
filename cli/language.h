// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool's language: the console's translations, chosen by the locale as the
// console chooses (Chinese for Chinese locales, English for all others) unless --lang says.
#pragma once

#include <string>

namespace mirelune::cli {

// "zh", "en", or empty for the locale's (LC_ALL, else LC_MESSAGES, else LANG). The English
// translation is loaded when the first text is translated; when it cannot be, that is said on
// stderr then and the texts stay Chinese.
void UseLanguage(const std::string& option);

// What the locale asks for: "zh" or "en".
std::string LocaleLanguage();

}  // namespace mirelune::cli
