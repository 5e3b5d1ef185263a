#include "tests/support/simulated_recorder.h"

#include "tests/support/temporary_folder.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// Waits up to `milliseconds` for the child to end; true once it is reaped.
bool ReapWithin(pid_t child, int milliseconds)
{
    for (int waited = 0;; waited += 2) {
        const pid_t done = waitpid(child, nullptr, WNOHANG);
        if (done == child || (done < 0 && errno == ECHILD)) return true;
        if (waited >= milliseconds) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

SimulatedRecorder::SimulatedRecorder(std::vector<std::string> arguments, std::string linkPath)
    : folder_(MakeTemporaryFolder("recorder-sim-")), linkPath_(std::move(linkPath))
{
    if (folder_.empty()) return;
    if (linkPath_.empty()) linkPath_ = folder_ + "/port";
    requestLogPath_ = folder_ + "/requests.log";
    unlink(linkPath_.c_str());  // a stale link would look ready

    arguments.insert(arguments.begin(), {RECORDER_SIM_PATH, "--link", linkPath_, "--request-log", requestLogPath_});
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    const pid_t parent = getpid();
    child_ = fork();
    if (child_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        close_range(3, ~0u, 0);  // an inherited port descriptor would keep that port held
        execv(argv[0], argv.data());
        _exit(127);
    }
    struct stat published;
    for (int waited = 0; child_ > 0 && waited < 10000; waited += 2) {
        if (stat(linkPath_.c_str(), &published) == 0) {
            ready_ = true;
            return;
        }
        if (ReapWithin(child_, 0)) child_ = -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

SimulatedRecorder::~SimulatedRecorder()
{
    if (child_ > 0) {
        kill(child_, SIGTERM);
        if (!ReapWithin(child_, 5000)) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
            unlink(linkPath_.c_str());
        }
    }
    RemoveTree(folder_);
}

std::vector<std::vector<uint8_t>> SimulatedRecorder::Requests() const
{
    std::vector<std::vector<uint8_t>> requests;
    std::ifstream log(requestLogPath_);
    for (std::string line; std::getline(log, line);) {
        std::istringstream bytes(line);
        requests.emplace_back();
        for (unsigned value = 0; bytes >> std::hex >> value;) requests.back().push_back(static_cast<uint8_t>(value));
    }
    return requests;
}
