#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void UseTemporaryRuntimeFolder()
{
    char pattern[] = "/tmp/kestrovane-runtime-XXXXXX";
    setenv("XDG_RUNTIME_DIR", mkdtemp(pattern), 1);
}

const char kName[] = "Kestrovane 1.0 Semaphore";

}  // namespace

TEST(SingleInstanceGuard, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    UseTemporaryRuntimeFolder();
    platform::SingleInstanceGuard first;
    platform::SingleInstanceGuard second;
    EXPECT_EQ(first.Acquire(kName), platform::SingleInstanceGuard::Outcome::Acquired);
    EXPECT_EQ(second.Acquire(kName), platform::SingleInstanceGuard::Outcome::HeldElsewhere);
    first.Release();
    EXPECT_EQ(second.Acquire(kName), platform::SingleInstanceGuard::Outcome::Acquired);
}

TEST(SingleInstanceGuard, KilledHolderDoesNotBlockTheNextStart)
{
    UseTemporaryRuntimeFolder();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::SingleInstanceGuard guard;
        const char held = guard.Acquire(kName) == platform::SingleInstanceGuard::Outcome::Acquired ? 'y' : 'n';
        (void)!write(ready[1], &held, 1);
        pause();
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 'y');
    platform::SingleInstanceGuard guard;
    EXPECT_EQ(guard.Acquire(kName), platform::SingleInstanceGuard::Outcome::HeldElsewhere);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(guard.Acquire(kName), platform::SingleInstanceGuard::Outcome::Acquired);
    close(ready[0]);
    close(ready[1]);
}

TEST(SingleInstanceGuard, MissingRuntimeFolderLeavesTheProgramUnguarded)
{
    char pattern[] = "/tmp/kestrovane-runtime-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    std::ofstream(folder + "/file") << "x";
    setenv("XDG_RUNTIME_DIR", (folder + "/file").c_str(), 1);
    platform::SingleInstanceGuard guard;
    EXPECT_EQ(guard.Acquire(kName), platform::SingleInstanceGuard::Outcome::Unavailable);
}
