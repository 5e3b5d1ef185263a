#pragma once
#include <string>

namespace platform {

// A guard that one process of the user at a time can hold under a name. It is a lock file in the
// user's runtime folder /run/user/<uid> (else in /tmp, named with the user id), whatever the
// environment says, locked with flock, so the operating system releases it when the holder ends in
// any way, a crash included.
class SingleInstanceGuard {
public:
    enum class Outcome {
        Acquired,       // this guard holds the name now
        HeldElsewhere,  // another holder has it
        Unavailable,    // the lock file cannot be made, or is a link or another user's: run unguarded
    };

    SingleInstanceGuard() = default;
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    Outcome Acquire(const std::string& name);
    void Release();

    // The lock file that stands for the name.
    static std::string LockPath(const std::string& name);

private:
    int fd_ = -1;
};

}  // namespace platform
