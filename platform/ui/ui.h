// The user-interface platform's API in one include (the class framework has
// its own: platform/ui/framework/afx.h; automation: automation/automation.h).
#pragma once

#include "platform/ui/commdlg/commdlg.h"
#include "platform/ui/controls/control_styles.h"
#include "platform/ui/dialogs/dialog.h"
#include "platform/ui/dialogs/message_box.h"
#include "platform/ui/gdi/gdi.h"
#include "platform/ui/help/help.h"
#include "platform/ui/input/input.h"
#include "platform/ui/message/message.h"
#include "platform/ui/resource/resource.h"
#include "platform/ui/thread/ui_thread.h"
#include "platform/ui/types.h"
#include "platform/ui/window/window.h"
