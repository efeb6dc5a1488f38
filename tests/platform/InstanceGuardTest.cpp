#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/InstanceGuard.h"
#include "tests/support/TempFolder.h"

using platform::InstanceGuard;

namespace {

// Points the guard's runtime folder at a fresh folder for one test and restores it afterwards.
class RuntimeFolder {
public:
    RuntimeFolder() {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        had_ = old != nullptr;
        if (had_) old_ = old;
        ::setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    }
    ~RuntimeFolder() {
        if (had_) {
            ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }
    const testing_support::TempFolder& folder() const { return folder_; }

private:
    testing_support::TempFolder folder_;
    bool had_ = false;
    std::string old_;
};

// A child process that takes the guard, reports its state through a pipe and then waits to be
// killed (or exits at once when told to).
struct Child {
    pid_t pid = -1;
    InstanceGuard::State state = InstanceGuard::State::Unavailable;
};

Child startHolder(const std::string& name) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        InstanceGuard guard(name);
        const char state = static_cast<char>(guard.state());
        if (::write(fds[1], &state, 1) != 1) ::_exit(3);
        ::pause();
        ::_exit(0);
    }
    ::close(fds[1]);
    Child child;
    child.pid = pid;
    char state = -1;
    if (::read(fds[0], &state, 1) == 1) child.state = static_cast<InstanceGuard::State>(state);
    ::close(fds[0]);
    return child;
}

void kill(Child& child) {
    ::kill(child.pid, SIGKILL);
    int status = 0;
    ::waitpid(child.pid, &status, 0);
}

}  // namespace

TEST(InstanceGuard, FirstGuardHoldsSecondOfTheSameProcessFails) {
    RuntimeFolder runtime;
    InstanceGuard first("Konvika");
    EXPECT_EQ(first.state(), InstanceGuard::State::Acquired);
    EXPECT_FALSE(first.alreadyRunning());
    InstanceGuard second("Konvika");
    EXPECT_EQ(second.state(), InstanceGuard::State::HeldElsewhere);
    EXPECT_TRUE(second.alreadyRunning());
}

TEST(InstanceGuard, ReleasedGuardCanBeTakenAgain) {
    RuntimeFolder runtime;
    {
        InstanceGuard first("Konvika");
        ASSERT_EQ(first.state(), InstanceGuard::State::Acquired);
    }
    InstanceGuard again("Konvika");
    EXPECT_EQ(again.state(), InstanceGuard::State::Acquired);
    again.release();
    InstanceGuard third("Konvika");
    EXPECT_EQ(third.state(), InstanceGuard::State::Acquired);
}

TEST(InstanceGuard, DifferentNamesDoNotConflict) {
    RuntimeFolder runtime;
    InstanceGuard first("Konvika");
    InstanceGuard other("Other");
    EXPECT_EQ(first.state(), InstanceGuard::State::Acquired);
    EXPECT_EQ(other.state(), InstanceGuard::State::Acquired);
}

TEST(InstanceGuard, GuardOfAnotherProcessBlocksUntilThatProcessDies) {
    RuntimeFolder runtime;
    Child holder = startHolder("Konvika");
    ASSERT_GT(holder.pid, 0);
    ASSERT_EQ(holder.state, InstanceGuard::State::Acquired);
    {
        InstanceGuard mine("Konvika");
        EXPECT_TRUE(mine.alreadyRunning());
    }
    // Killed without any chance to clean up: the system drops the lock.
    kill(holder);
    InstanceGuard mine("Konvika");
    EXPECT_EQ(mine.state(), InstanceGuard::State::Acquired);
}

TEST(InstanceGuard, ChildProcessCannotTakeTheGuardOfItsParent) {
    RuntimeFolder runtime;
    InstanceGuard mine("Konvika");
    ASSERT_EQ(mine.state(), InstanceGuard::State::Acquired);
    Child child = startHolder("Konvika");
    ASSERT_GT(child.pid, 0);
    EXPECT_EQ(child.state, InstanceGuard::State::HeldElsewhere);
    kill(child);
    // The child's failed attempt leaves the parent's lock in place.
    InstanceGuard second("Konvika");
    EXPECT_TRUE(second.alreadyRunning());
}

TEST(InstanceGuard, LockFileLivesInTheRuntimeFolder) {
    RuntimeFolder runtime;
    EXPECT_EQ(InstanceGuard::lockFilePath("Konvika"), runtime.folder().file("Konvika.lock"));
    InstanceGuard guard("Konvika");
    struct stat st {};
    ASSERT_EQ(::stat(runtime.folder().file("Konvika.lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(InstanceGuard, WithoutRuntimeFolderTheTemporaryFolderNamesTheUser) {
    RuntimeFolder runtime;
    testing_support::TempFolder temporary;
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp != nullptr ? oldTmp : "";
    ::setenv("TMPDIR", temporary.path().c_str(), 1);
    const std::string expected =
        temporary.file("Konvika-" + std::to_string(::getuid()) + ".lock");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceGuard::lockFilePath("Konvika"), expected);
    // A runtime folder that does not exist is not used either.
    ::setenv("XDG_RUNTIME_DIR", temporary.file("missing").c_str(), 1);
    EXPECT_EQ(InstanceGuard::lockFilePath("Konvika"), expected);
    {
        InstanceGuard first("Konvika");
        InstanceGuard second("Konvika");
        EXPECT_EQ(first.state(), InstanceGuard::State::Acquired);
        EXPECT_TRUE(second.alreadyRunning());
    }
    if (oldTmp != nullptr) {
        ::setenv("TMPDIR", savedTmp.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

TEST(InstanceGuard, PlantedSymbolicLinkIsNotFollowed) {
    RuntimeFolder runtime;
    const std::string target = runtime.folder().file("elsewhere");
    ASSERT_EQ(::symlink(target.c_str(), runtime.folder().file("Konvika.lock").c_str()), 0);
    InstanceGuard guard("Konvika");
    EXPECT_EQ(guard.state(), InstanceGuard::State::Unavailable);
    EXPECT_FALSE(guard.alreadyRunning());
    struct stat st {};
    EXPECT_NE(::stat(target.c_str(), &st), 0) << "the link's target must not be created";
}

TEST(InstanceGuard, LockPathThatIsAFolderLeavesTheGuardUnavailable) {
    RuntimeFolder runtime;
    ASSERT_EQ(::mkdir(runtime.folder().file("Konvika.lock").c_str(), 0700), 0);
    InstanceGuard guard("Konvika");
    EXPECT_EQ(guard.state(), InstanceGuard::State::Unavailable);
    EXPECT_FALSE(guard.alreadyRunning());
}

TEST(InstanceGuard, ExistingLockFileOpenToOthersIsClosedToThem) {
    RuntimeFolder runtime;
    const std::string lock = runtime.folder().file("Konvika.lock");
    testing_support::writeFileBytes(lock, "");
    ASSERT_EQ(::chmod(lock.c_str(), 0666), 0);
    InstanceGuard guard("Konvika");
    EXPECT_EQ(guard.state(), InstanceGuard::State::Acquired);
    struct stat st {};
    ASSERT_EQ(::stat(lock.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(InstanceGuard, LockFileOfAnotherUserIsNotUsed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
    RuntimeFolder runtime;
    const std::string lock = runtime.folder().file("Konvika.lock");
    testing_support::writeFileBytes(lock, "");
    ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
    InstanceGuard guard("Konvika");
    EXPECT_EQ(guard.state(), InstanceGuard::State::Unavailable);
    EXPECT_FALSE(guard.alreadyRunning()) << "another user's file does not stop the program";
}
