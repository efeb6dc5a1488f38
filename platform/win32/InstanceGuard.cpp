#include "platform/InstanceGuard.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace platform {

InstanceGuard::InstanceGuard(const std::string& name) {
    // Not owned: only its existence tells that a copy runs; the system removes it with the last
    // handle, also when a copy crashes.
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, win32::widen(name).c_str());
    const DWORD error = ::GetLastError();
    if (mutex == nullptr) {
        // A same-named object of another kind, or one we may not open, is held by someone else.
        state_ = error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_HANDLE ? State::HeldElsewhere
                                                                               : State::Unavailable;
        return;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        state_ = State::HeldElsewhere;
        return;
    }
    handle_ = mutex;
    state_ = State::Acquired;
}

InstanceGuard::~InstanceGuard() { release(); }

void InstanceGuard::release() {
    if (handle_ != nullptr) ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    if (state_ == State::Acquired) state_ = State::Unavailable;
}

}  // namespace platform
