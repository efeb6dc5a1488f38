#include "platform/InstanceGuard.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.h"

namespace platform {
namespace {

std::string environmentFolder(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') return std::string();
    return directoryExists(value) ? std::string(value) : std::string();
}

}  // namespace

std::string InstanceGuard::lockFilePath(const std::string& name) {
    const std::string runtime = environmentFolder("XDG_RUNTIME_DIR");
    if (!runtime.empty()) return joinPath(runtime, name + ".lock");
    std::string temporary = environmentFolder("TMPDIR");
    if (temporary.empty()) temporary = "/tmp";
    // The user id in the name keeps users of a shared temporary folder apart.
    return joinPath(temporary, name + "-" + std::to_string(::getuid()) + ".lock");
}

InstanceGuard::InstanceGuard(const std::string& name) {
    // O_NOFOLLOW: in a shared temporary folder a planted symbolic link must not redirect us.
    fd_ = ::open(lockFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;
    struct stat st {};
    // A file another user made first (in a shared temporary folder) is not ours to lock: they
    // could hold it and keep the program from ever starting.
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        release();
        return;
    }
    // Nobody else needs to open it; a file left open to others is closed to them.
    if ((st.st_mode & 077) != 0) ::fchmod(fd_, 0600);
    // A lock belongs to the open file description, so a second guard of the same process
    // conflicts just as another process does.
    int result;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        state_ = State::Acquired;
        return;
    }
    const bool busy = errno == EWOULDBLOCK;
    release();
    state_ = busy ? State::HeldElsewhere : State::Unavailable;
}

InstanceGuard::~InstanceGuard() { release(); }

void InstanceGuard::release() {
    // The file stays: removing it would race with a copy that has just opened it, which would
    // then lock a file nobody else can find.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (state_ == State::Acquired) state_ = State::Unavailable;
}

}  // namespace platform
