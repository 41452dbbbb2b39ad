// What the administration windows work on: the console's tables, the link, the whole-mode
// transfers and the notifier. All must outlive the windows given them.
#pragma once

namespace mirelune {

class Store;
class Link;
class Transfers;
class Notifier;

struct AdminContext {
  Store& store;
  Link& link;
  Transfers& transfers;
  Notifier& notifier;
};

}  // namespace mirelune
