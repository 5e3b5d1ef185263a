#pragma once
#include "tests/support/temporary_folder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <string>

// A per-user configuration folder of its own for a test: XDG_CONFIG_HOME points at a new
// temporary folder holding Orvastel/Kestrovane/ports/, where COMn resolves to the link comN.
// The variable is restored and the folder removed on destruction.
class TemporaryPortsFolder {
  public:
    TemporaryPortsFolder()
    {
        if (configHome_.empty()) return;
        for (const char* folder : {"/Orvastel", "/Orvastel/Kestrovane", "/Orvastel/Kestrovane/ports"})
            mkdir((configHome_ + folder).c_str(), 0755);
        setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
    }
    ~TemporaryPortsFolder()
    {
        if (hadPrevious_)
            setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        RemoveTree(configHome_);
    }
    TemporaryPortsFolder(const TemporaryPortsFolder&) = delete;
    TemporaryPortsFolder& operator=(const TemporaryPortsFolder&) = delete;

    const std::string& ConfigHome() const { return configHome_; }
    // Where the link for COM`port` goes: <ConfigHome>/Orvastel/Kestrovane/ports/com<port>.
    std::string LinkPath(int port) const { return configHome_ + "/Orvastel/Kestrovane/ports/com" + std::to_string(port); }

  private:
    const std::string configHome_ = MakeTemporaryFolder("kestrovane-config-");
    const bool hadPrevious_ = getenv("XDG_CONFIG_HOME") != nullptr;
    const std::string previous_ = hadPrevious_ ? getenv("XDG_CONFIG_HOME") : "";
};
