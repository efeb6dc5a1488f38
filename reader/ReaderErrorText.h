#pragma once
// Words for the error codes of the reader library, as the converter's reader-error report
// shows them. Used by the converter (and by the binding's tests).
#include <string>

// Windows-1251 text of codes 1, 2, 4 and 5; the empty text for every other code.
std::string ReaderErrorText(int code);
