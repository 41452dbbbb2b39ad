// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/through_owner.h"

#include <QJsonDocument>
#include <unistd.h>

#include "owner/owner_client.h"

namespace mirelune::cli {

bool AskOwner(DeviceSession& s, QJsonObject request, QJsonObject& reply) {
  const std::string who = s.Holder().Text();
  request["by"] = QString::fromStdString("mirelune-cli (PID " + std::to_string(::getpid()) + ")");
  OwnerClient client;
  std::string error, line;
  if (!client.Connect(s.OwnerSocket(), error)) {
    s.Fail(s.Target().Label() + " is in use by " + who + ", which could not be reached (" + error + ")");
    return false;
  }
  const std::string text = QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString();
  if (!client.Request(text, line, error)) {
    s.Fail(s.Target().Label() + " is in use by " + who + ": " + error);
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
  return false;
}

}  // namespace mirelune::cli
