// SPDX-License-Identifier: GPL-3.0-or-later
// What the administration windows work on: the console's tables, the link, the whole-mode
// transfers and the notifier. All must outlive the windows given them.
#pragma once

#include <functional>
#include <string>

namespace mirelune {

class Store;
class Link;
class Transfers;
class Notifier;
class Scheduler;

struct AdminContext {
  Store& store;
  Link& link;
  Transfers& transfers;
  Notifier& notifier;
  // For work on other amplifiers than the console's (the batch upload to all of them): the
  // console's scheduler, and the label of its own amplifier. Without them that work is not
  // offered.
  Scheduler* scheduler = nullptr;
  std::function<std::string()> deviceLabel;
  // Sends one parameter of the store the way the console sends its edits, so that what the
  // amplifier acknowledged is known as held by it (the next read keeps no "offline edits" for
  // it); true when acknowledged. Without it the link sends it directly.
  std::function<bool(int address)> sendParam;
};

}  // namespace mirelune
