#include "platform/single_instance.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

using platform::SingleInstanceGuard;

namespace {

class SingleInstance : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(runtime_.empty()); }
    void TearDown() override
    {
        unsetenv("XDG_RUNTIME_DIR");
        for (const std::string& name : names_)
            std::remove(SingleInstanceGuard::LockPath(name).c_str());
        RemoveTree(runtime_);
    }
    // A name of this test's own, so that a running program's lock is never touched.
    std::string Name(const char* what)
    {
        names_.push_back(std::string("guard test ") + what + " " + std::to_string(getpid()));
        return names_.back();
    }

    const std::string runtime_ = MakeTemporaryFolder("kestrovane-runtime-");
    std::vector<std::string> names_;
};

}  // namespace

TEST_F(SingleInstance, OneHolderPerUserWhateverTheEnvironmentSays)
{
    // Started from the desktop, then from a bare terminal; and the other way round.
    const std::string name = Name("environment");
    SingleInstanceGuard desktop, terminal;
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    ASSERT_EQ(desktop.Acquire(name), SingleInstanceGuard::Outcome::Acquired);
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(terminal.Acquire(name), SingleInstanceGuard::Outcome::HeldElsewhere);

    desktop.Release();
    ASSERT_EQ(terminal.Acquire(name), SingleInstanceGuard::Outcome::Acquired);
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    EXPECT_EQ(desktop.Acquire(name), SingleInstanceGuard::Outcome::HeldElsewhere);
}

TEST_F(SingleInstance, ALockFileThatIsALinkOrAnotherUsersIsNotUsed)
{
    // A link is neither followed nor given a file at its end.
    const std::string linked = Name("link");
    const std::string target = runtime_ + "/target";
    ASSERT_EQ(symlink(target.c_str(), SingleInstanceGuard::LockPath(linked).c_str()), 0);
    SingleInstanceGuard guard;
    EXPECT_EQ(guard.Acquire(linked), SingleInstanceGuard::Outcome::Unavailable);
    EXPECT_NE(access(target.c_str(), F_OK), 0);

    const std::string foreign = Name("foreign");
    const std::string path = SingleInstanceGuard::LockPath(foreign);
    std::ofstream(path).put('x');
    if (chown(path.c_str(), getuid() + 1, static_cast<gid_t>(-1)) != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    EXPECT_EQ(guard.Acquire(foreign), SingleInstanceGuard::Outcome::Unavailable);
}
