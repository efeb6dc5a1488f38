// The single-instance guard as the named mutex: one holder at a time, in this process or
// another, and free again as soon as the holder ends, however it ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/InstanceGuard.h"
#include "tests/support/TempFolder.h"
#include "tests/support/win32/HelperProcess.h"

using platform::InstanceGuard;
using testing_support::win32::HelperProcess;
using testing_support::win32::helperVariable;

namespace {

std::string uniqueName(const char* test) {
    return std::string("KonvikaTest-") + test + "-" + std::to_string(::GetCurrentProcessId());
}

TEST(MutexGuard, OneHolderAtATimeInOneProcess) {
    const std::string name = uniqueName("one");
    InstanceGuard first(name);
    EXPECT_EQ(first.state(), InstanceGuard::State::Acquired);
    {
        InstanceGuard second(name);
        EXPECT_EQ(second.state(), InstanceGuard::State::HeldElsewhere);
        EXPECT_TRUE(second.alreadyRunning());
    }
    // A refused guard does not take the mutex away from the holder.
    InstanceGuard third(name);
    EXPECT_TRUE(third.alreadyRunning());
    first.release();
    EXPECT_FALSE(first.alreadyRunning());
    InstanceGuard fourth(name);
    EXPECT_EQ(fourth.state(), InstanceGuard::State::Acquired);
}

TEST(MutexGuard, TheProgramsGuardIsTheMutexKonvika) {
    InstanceGuard guard("Konvika");
    ASSERT_EQ(guard.state(), InstanceGuard::State::Acquired);
    const HANDLE same = ::OpenMutexW(SYNCHRONIZE, FALSE, L"Konvika");
    EXPECT_NE(same, nullptr) << "no named mutex \"Konvika\" while the guard is held";
    if (same != nullptr) ::CloseHandle(same);
    guard.release();
    EXPECT_EQ(::OpenMutexW(SYNCHRONIZE, FALSE, L"Konvika"), nullptr);
}

// Helper: holds the guard until it is terminated.
TEST(MutexGuardHelper, DISABLED_HoldsTheGuard) {
    InstanceGuard guard(helperVariable("KONVIKA_GUARD_NAME"));
    ASSERT_EQ(guard.state(), InstanceGuard::State::Acquired);
    testing_support::writeFileBytes(helperVariable("KONVIKA_READY_FILE"), "ready");
    ::Sleep(60000);
}

TEST(MutexGuard, AnotherProcessHoldsItUntilItIsTerminated) {
    testing_support::TempFolder folder;
    const std::string name = uniqueName("process");
    const std::string ready = folder.file("ready");
    HelperProcess holder("MutexGuardHelper.DISABLED_HoldsTheGuard",
                         {{"KONVIKA_GUARD_NAME", name}, {"KONVIKA_READY_FILE", ready}});
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(holder.waitForFile(ready));
    EXPECT_TRUE(InstanceGuard(name).alreadyRunning());
    ASSERT_TRUE(holder.terminate());
    EXPECT_EQ(InstanceGuard(name).state(), InstanceGuard::State::Acquired);
}

}  // namespace
