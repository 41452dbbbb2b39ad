// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/through_owner.h"

#include <QJsonDocument>
#include <unistd.h>

#include "owner/owner_client.h"

namespace mirelune::cli {

bool AskOwner(DeviceSession& s, QJsonObject request, QJsonObject& reply, bool* refused) {
  const std::string who = s.Holder().Text();
  request["by"] = QString::fromStdString("mirelune-cli (PID " + std::to_string(::getpid()) + ")");
  OwnerClient client;
  client.onWaiting = [&s, &who](const std::string& what) {
    s.Note("waiting for " + who + ", which owns " + s.Target().Label() + ", " + what + "; " +
           WaitLimitText(s.options()));
  };
  const int limit = s.options().waitMs;
  std::string error, line;
  if (!client.Connect(s.OwnerSocket(), error, limit)) {
    s.Fail(s.Target().Label() + " is in use by " + who + ", which could not be reached (" + error + ")");
    return false;
  }
  const std::string text = QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString();
  if (!client.Request(text, line, error, limit)) {
    s.Fail(s.Target().Label() + " is in use by " + who + ": " + error +
           (request.value("op").toString() == "set" ? "; the change may or may not have been made" : ""));
    return false;
  }
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line));
  if (!doc.isObject()) {
    s.Fail(who + " answered something that is not a JSON object: " + line.substr(0, 200));
    return false;
  }
  reply = doc.object();
  if (reply.value("ok").toBool()) return true;
  s.Fail(who + ": " + reply.value("error").toString().toStdString());
  if (refused) *refused = reply.value("refused").toBool();
  return false;
}

}  // namespace mirelune::cli
