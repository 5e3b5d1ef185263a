#include "tests/support/temporary_ports_folder.h"

#include "tests/support/temporary_folder.h"

#include <stdlib.h>
#include <sys/stat.h>

TemporaryPortsFolder::TemporaryPortsFolder()
{
    const char* previous = getenv("XDG_CONFIG_HOME");
    hadPrevious_ = previous != nullptr;
    previous_ = previous ? previous : "";
    configHome_ = MakeTemporaryFolder("kestrovane-config-");
    if (configHome_.empty()) return;
    std::string folder = configHome_;
    for (const char* part : {"/Orvastel", "/Kestrovane", "/ports"}) {
        folder += part;
        mkdir(folder.c_str(), 0755);
    }
    setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
}

TemporaryPortsFolder::~TemporaryPortsFolder()
{
    if (hadPrevious_) {
        setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
    RemoveTree(configHome_);
}

std::string TemporaryPortsFolder::LinkPath(int port) const
{
    return configHome_ + "/Orvastel/Kestrovane/ports/com" + std::to_string(port);
}
