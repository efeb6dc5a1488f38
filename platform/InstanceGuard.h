#pragma once
// Keeps a second copy of the program from running: a named guard that one process at a time can
// hold. The program entry takes it before anything else and keeps it for its whole life.
// POSIX: an exclusive advisory lock (flock) on a lock file named after the guard in the user's
// runtime folder. Windows: the named mutex of the guard's name. Either way the system releases
// the guard when the process ends, also after a crash.
#include <string>

namespace platform {

class InstanceGuard {
public:
    enum class State {
        Acquired,        // this process holds the guard
        HeldElsewhere,   // another process (or another guard of this one) holds it
        Unavailable,     // the lock file or mutex cannot be made; nobody can hold the guard
    };

    explicit InstanceGuard(const std::string& name);
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    State state() const { return state_; }
    // True only when another holder was found: a guard that could not be set up at all does not
    // keep the program from working.
    bool alreadyRunning() const { return state_ == State::HeldElsewhere; }
    void release();

#ifndef _WIN32
    // The lock file of a guard name: $XDG_RUNTIME_DIR/<name>.lock when that folder exists,
    // otherwise <temporary folder>/<name>-<user id>.lock.
    static std::string lockFilePath(const std::string& name);
#endif

private:
#ifdef _WIN32
    void* handle_ = nullptr;  // the mutex
#else
    int fd_ = -1;
#endif
    State state_ = State::Unavailable;
};

}  // namespace platform
