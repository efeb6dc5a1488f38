// What the program may touch: a whole conversion writes only the output table, its files under
// Morvel/TKonvika/ and its log; it starts no other program (no shell); the single-instance lock
// file is no symbolic-link or foreign-file trap.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <optional>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "app/Tlogfile.h"
#include "engine/Tkonvika.h"
#include "platform/Files.h"
#include "platform/InstanceGuard.h"
#include "tests/engine/ConversionFixture.h"
#include "tests/engine/reliability/ChildProcess.h"
#include "tests/engine/reliability/ReliabilityFixture.h"
#include "tests/support/TempFolder.h"

using engine_testing::ProgramFolder;
using engine_testing::readPriceTable;
using platform::InstanceGuard;
using Lines = std::vector<std::string>;

namespace {

// From here on this process is killed (SIGSYS) when it tries to start another program or
// process (a shell included: system() and popen() fork first) or a thread.
bool forbidStartingPrograms() {
    struct sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_execve, 6, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_execveat, 5, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fork, 4, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_vfork, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone3, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
    };
    struct sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

bool allowedChange(const std::string& change) {
    const std::string path = change.substr(change.find(' ') + 1);
    if (change.rfind("removed ", 0) == 0) return false;
    if (path == "out/price.dbf" || path == "Morvel/TKonvika.log") return true;
    // The mapping tables and their indexes; nothing left half-made.
    return path == "Morvel/TKonvika" ||
           (path.rfind("Morvel/TKonvika/", 0) == 0 && path.find(".new") == std::string::npos);
}

TEST(Security, StartingAShellIsCaught) {
    // The watch itself: a shell started under it ends the child with SIGSYS.
    const reliability::ChildOutcome child = reliability::runInChild([] {
        if (!forbidStartingPrograms()) return std::string("unguarded");
        return std::string("system: ") + std::to_string(std::system("true"));
    });
    if (child.output == "unguarded") GTEST_SKIP() << "seccomp is not available here";
    EXPECT_FALSE(child.exited) << child.output;
    EXPECT_EQ(child.signal, SIGSYS);
}

TEST(Security, AConversionWritesOnlyItsOutputItsMappingFilesAndItsLog) {
    ProgramFolder folder;
    folder.writeUnits(reliability::standardUnits());
    const std::string source = folder.writeSource(
        "prices.txt", {{reliability::validRecord(1), reliability::unknownCodeRecord("s", 2, 70),
                        reliability::unknownUnitRecord("s", 3)}});
    for (const char* name : {"cwd", "tmp", "home"}) ASSERT_TRUE(platform::createDirectories(folder.path(name)));
    const reliability::Snapshot before = reliability::snapshot(folder.root());

    const reliability::ChildOutcome child = reliability::runInChild([&] {
        // Relative names, temporary files and the home folder would all land in the test's folder.
        if (::chdir(folder.path("cwd").c_str()) != 0) return std::string("chdir failed");
        ::setenv("TMPDIR", folder.path("tmp").c_str(), 1);
        ::setenv("HOME", folder.path("home").c_str(), 1);
        const bool guarded = forbidStartingPrograms();
        reliability::ReportingDialogs dialogs;
        TLogFile logFile;
        TKonvika converter(folder.root(), logFile);
        converter.SetDialogFactory(&dialogs);
        const bool result = converter.Convert("40", source, folder.outputPath(), true, "",
                                              folder.unitsFolder(), &dialogs, &dialogs);
        return std::string(guarded ? "guarded " : "unguarded ") + (result ? "result: 1" : "result: 0") +
               " questions: " + std::to_string(dialogs.questions);
    });
    ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGSYS: a program was started)";
    if (child.output.rfind("unguarded", 0) == 0)
        std::printf("seccomp is not available here: starting programs was not watched\n");
    EXPECT_NE(child.output.find("result: 1 questions: 2"), std::string::npos) << child.output;
    EXPECT_EQ(readPriceTable(folder.outputPath()).size(), 3u);

    const Lines changes = reliability::differences(before, reliability::snapshot(folder.root()));
    EXPECT_FALSE(changes.empty());
    for (const std::string& change : changes) EXPECT_TRUE(allowedChange(change)) << change;
}

// Points the guard's runtime folder at a fresh folder, or takes it away, for one test.
class GuardFolders : public ::testing::Test {
protected:
    GuardFolders() {
        for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value != nullptr ? std::optional<std::string>(value) : std::nullopt});
        }
        ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        ::setenv("TMPDIR", temporary.path().c_str(), 1);
    }
    ~GuardFolders() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    static unsigned modeOf(const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    testing_support::TempFolder runtime, temporary;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(GuardFolders, LockFileIsOnlyTheUsersAndInTheRuntimeFolder) {
    const mode_t oldMask = ::umask(0);  // even a careless umask gives no one else access
    {
        InstanceGuard guard("Konvika");
        EXPECT_EQ(guard.state(), InstanceGuard::State::Acquired);
        EXPECT_EQ(InstanceGuard::lockFilePath("Konvika"), runtime.file("Konvika.lock"));
        EXPECT_EQ(modeOf(runtime.file("Konvika.lock")), 0600u);
    }
    ::umask(oldMask);
    EXPECT_EQ(reliability::snapshot(temporary.path()), reliability::Snapshot{});
}

TEST_F(GuardFolders, ExistingLockFileOpenToOthersIsMadeTheUsersOnly) {
    testing_support::writeFileBytes(runtime.file("Konvika.lock"), "");
    ASSERT_EQ(::chmod(runtime.file("Konvika.lock").c_str(), 0666), 0);
    InstanceGuard guard("Konvika");
    EXPECT_EQ(guard.state(), InstanceGuard::State::Acquired);
    EXPECT_EQ(modeOf(runtime.file("Konvika.lock")), 0600u);
}

TEST_F(GuardFolders, SymbolicLinksAreNotFollowedInEitherFolder) {
    for (const std::string& lock : {runtime.file("Konvika.lock"),
                                    temporary.file("Konvika-" + std::to_string(::getuid()) + ".lock")}) {
        SCOPED_TRACE(lock);
        if (lock.rfind(temporary.path(), 0) == 0) ::unsetenv("XDG_RUNTIME_DIR");
        ASSERT_EQ(InstanceGuard::lockFilePath("Konvika"), lock);
        const std::string victim = temporary.file("victim");
        testing_support::writeFileBytes(victim, "precious");
        ASSERT_EQ(::chmod(victim.c_str(), 0644), 0);
        ASSERT_EQ(::symlink(victim.c_str(), lock.c_str()), 0);
        {
            InstanceGuard guard("Konvika");
            EXPECT_EQ(guard.state(), InstanceGuard::State::Unavailable);
            EXPECT_FALSE(guard.alreadyRunning()) << "a planted link must not stop the program";
        }
        EXPECT_EQ(testing_support::readFileBytes(victim), "precious");
        EXPECT_EQ(modeOf(victim), 0644u);
        const std::string dangling = temporary.file("nothing-here");
        ASSERT_EQ(::unlink(lock.c_str()), 0);
        ASSERT_EQ(::symlink(dangling.c_str(), lock.c_str()), 0);
        {
            InstanceGuard guard("Konvika");
            EXPECT_EQ(guard.state(), InstanceGuard::State::Unavailable);
        }
        EXPECT_FALSE(platform::fileExists(dangling)) << "the link's target must not be created";
        ::unlink(lock.c_str());
    }
}

// In a shared temporary folder another user may have made the lock file first; holding a lock
// on it, they could keep the program from ever starting.
TEST_F(GuardFolders, LockFileOfAnotherUserIsNotUsed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string lock = InstanceGuard::lockFilePath("Konvika");
    testing_support::writeFileBytes(lock, "");
    ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(lock.c_str(), 0666), 0);
    InstanceGuard guard("Konvika");
    EXPECT_EQ(guard.state(), InstanceGuard::State::Unavailable);
    EXPECT_FALSE(guard.alreadyRunning());
}

}  // namespace
