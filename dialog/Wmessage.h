#pragma once
// Asks a window to close as if the user had pressed Alt+F4 in it. The correspondence dialog
// uses it to close itself when it cannot open the units table, so that the user is asked
// whether to cancel the conversion.
#include <string>

class WMessage {
public:
    WMessage();

    // Posts a close request to the window the user works in: the modal dialog when one runs,
    // otherwise the active window. The request is handled by the message loop afterwards, as a
    // key press would be, so the caller finishes first.
    void CloseActiveWindow() const;

    const std::string FDescription;
};
