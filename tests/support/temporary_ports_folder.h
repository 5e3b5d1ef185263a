#pragma once
#include <string>

// A per-user configuration folder of its own for a test: XDG_CONFIG_HOME points at a new
// temporary folder holding Orvastel/Kestrovane/ports/, where COMn resolves to the link comN.
// The variable is restored and the folder removed on destruction.
class TemporaryPortsFolder {
  public:
    TemporaryPortsFolder();
    ~TemporaryPortsFolder();
    TemporaryPortsFolder(const TemporaryPortsFolder&) = delete;
    TemporaryPortsFolder& operator=(const TemporaryPortsFolder&) = delete;

    const std::string& ConfigHome() const { return configHome_; }
    // Where the link for COM`port` goes: <ConfigHome>/Orvastel/Kestrovane/ports/com<port>.
    std::string LinkPath(int port) const;

  private:
    std::string configHome_;
    bool hadPrevious_ = false;
    std::string previous_;
};
