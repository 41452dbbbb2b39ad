// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/child_layers.h"

#include <QWidget>

#include "controls/mbtnflag.h"
#include "controls/mcombobox.h"
#include "controls/mscrollbar.h"
#include "controls/parent_background.h"

namespace mirelune::controls {

void InitChildLayers(QWidget& panel) {
  ParentBackgroundBatch batch;
  for (MScrollBar* s : panel.findChildren<MScrollBar*>(Qt::FindDirectChildrenOnly)) s->BkGround_Init();
  for (MBtnFlag* b : panel.findChildren<MBtnFlag*>(Qt::FindDirectChildrenOnly)) b->BkGround_Init();
  for (MComboBox* c : panel.findChildren<MComboBox*>(Qt::FindDirectChildrenOnly)) c->BkGround_Init();
}

}  // namespace mirelune::controls
