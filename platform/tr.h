// SPDX-License-Identifier: GPL-3.0-or-later
// The console's texts go through Qt's translation system. The Chinese texts are the source
// texts; an installed translator (ui/look/language.h) shows them in the user's language. One context,
// "Mirelune", holds every text, so the same sentence is translated once wherever it appears -
// but for a Chinese text that means something else in another place ("启动" is a compressor's
// attack and the remote's start button): each such use has a context of its own, named after
// it, written TrIn("Context", "text") or InContext("Context", "text") so that
// scripts/update-translations.py files it there.
//
// The translations live in translations/mirelune_<lang>.ts; scripts/update-translations.py
// collects every Chinese string literal of the sources into them.
#pragma once

#include <string>

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QTranslator>

#include "platform/text.h"

namespace mirelune {

// Programs without an application object (the command-line tool) translate through this
// translator instead of the application's; null: the application's translators.
inline const QTranslator* g_directTranslator = nullptr;
inline void SetDirectTranslator(const QTranslator* translator) { g_directTranslator = translator; }

// A source text (UTF-8 Chinese) in the current language.
inline QString Tr(const char* source) {
  if (!g_directTranslator) return QCoreApplication::translate(kTrContext, source);
  const QString t = g_directTranslator->translate(kTrContext, source);
  return t.isEmpty() ? QString::fromUtf8(source) : t;
}
inline QString Tr(const QString& source) { return Tr(source.toUtf8().constData()); }

// True when texts are shown translated (English) rather than as their Chinese sources: for the
// few words that are no source texts of their own (the amplifier's Latin names, the model's
// English names of parameters).
inline bool ShowingTranslation();

// A source text in a context of its own (see above).
inline QString TrIn(const char* context, const char* source) {
  if (!g_directTranslator) return QCoreApplication::translate(context, source);
  const QString t = g_directTranslator->translate(context, source);
  return t.isEmpty() ? QString::fromUtf8(source) : t;
}
inline QString TrIn(const char* context, const QString& source) { return TrIn(context, source.toUtf8().constData()); }

inline bool ShowingTranslation() { return Tr("关") != QString::fromUtf8("关"); }

// A text built by the core (link, transfers, files) from source texts and values: each line is
// translated whole where the translation knows it; otherwise each of its phrases (runs of
// Chinese text and punctuation between names, numbers and other values) is translated on its
// own, and the values stay as they are.
QString TrLine(const QString& line);
inline QString TrLines(const std::string& message) {
  QStringList lines = QString::fromStdString(message).split('\n');
  for (QString& line : lines) line = TrLine(line);
  return lines.join('\n');
}

}  // namespace mirelune
