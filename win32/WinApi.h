#pragma once
// <windows.h> and the common controls for the Win32 front end. The system header defines CreateDialog as a macro, which
// would rewrite engine::CorrespondenceDialogFactory::CreateDialog wherever both are seen; the
// front end never calls the system's function of that name.
#include <windows.h>
#include <commctrl.h>

#undef CreateDialog
