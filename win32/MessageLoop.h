#pragma once
// The one way the program's Win32 windows take their messages, whichever loop turns: the main
// loop, the converter's turns between tables, and the correspondence dialog's modal loop.
// A window of ours first sees every key meant for one of its controls (the forms' key preview),
// then the dialog manager moves the focus with Tab and presses the cancel button on Esc.
#include "win32/WinApi.h"

namespace win32 {

// Sent to one of our top-level windows with the message about to go to one of its controls
// (lParam: MSG*); a non-zero result means the window has handled it and it goes no further.
inline constexpr UINT kPreviewMessage = WM_APP + 1;

// Marks a top-level window as one of ours, so that the loops offer it its keys.
void registerWindow(HWND window);

// Translates and dispatches one message the way described above.
void dispatchMessage(MSG& message);

// Handles every waiting message and returns. A quit request met on the way is posted again,
// so the loop that owns it still sees it; returns false then.
bool processWaitingMessages();

// Runs the main loop until a quit request; returns its exit code.
int runMessageLoop();

// Runs a modal loop for `window` until `done` becomes true, with `owner` (when given) disabled
// meanwhile. A quit request ends the loop too and is posted again for the outer loop.
void runModalLoop(HWND window, HWND owner, const bool& done);

}  // namespace win32
