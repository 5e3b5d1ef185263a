#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// Runs the simulated recorder (tools/recorder-sim) as a child process for the length of a test.
// It is stopped and reaped on destruction (it removes its link). It also ends when the thread that
// started it ends (so a crashed test leaves nothing behind): construct it on a thread that outlives it.
class SimulatedRecorder {
  public:
    // Starts the simulator with `arguments` (see `recorder-sim --help`; --link and --request-log
    // are added here) and waits up to 10 s until its port is published at `linkPath`. An empty
    // `linkPath` publishes it in a temporary folder of its own.
    explicit SimulatedRecorder(std::vector<std::string> arguments = {}, std::string linkPath = "");
    ~SimulatedRecorder();
    SimulatedRecorder(const SimulatedRecorder&) = delete;
    SimulatedRecorder& operator=(const SimulatedRecorder&) = delete;

    // True when the port was published in time and the simulator still runs.
    bool IsReady() const { return ready_; }
    // The symbolic link to open as the serial device.
    const std::string& LinkPath() const { return linkPath_; }
    // Every request received so far, in order, as its raw bytes.
    std::vector<std::vector<uint8_t>> Requests() const;

  private:
    std::string folder_;
    std::string linkPath_;
    std::string requestLogPath_;
    pid_t child_ = -1;
    bool ready_ = false;
};
