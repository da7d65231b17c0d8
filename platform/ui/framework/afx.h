// The class framework in one include: CObject with run-time class
// information, CWinApp, CWnd, CDialog, CButton, CBitmapButton, CFileDialog
// and the drawing classes.
#pragma once

#include "platform/ui/framework/button.h"
#include "platform/ui/framework/dialog.h"
#include "platform/ui/framework/file_dialog.h"
#include "platform/ui/framework/gdi_objects.h"
#include "platform/ui/framework/geometry.h"
#include "platform/ui/framework/object.h"
#include "platform/ui/framework/win_app.h"
#include "platform/ui/framework/wnd.h"
#include "platform/ui/resource/resource.h"
