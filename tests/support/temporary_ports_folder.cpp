#include "tests/support/temporary_ports_folder.h"

#include "tests/support/temporary_folder.h"

#include <stdlib.h>
#include <sys/stat.h>

TemporaryPortsFolder::TemporaryPortsFolder()
    : configHome_(MakeTemporaryFolder("kestrovane-config-")), hadPrevious_(getenv("XDG_CONFIG_HOME") != nullptr),
      previous_(hadPrevious_ ? getenv("XDG_CONFIG_HOME") : "")
{
    if (configHome_.empty()) return;
    for (const char* folder : {"/Orvastel", "/Orvastel/Kestrovane", "/Orvastel/Kestrovane/ports"})
        mkdir((configHome_ + folder).c_str(), 0755);
    setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
}

TemporaryPortsFolder::~TemporaryPortsFolder()
{
    if (hadPrevious_)
        setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    RemoveTree(configHome_);
}

std::string TemporaryPortsFolder::LinkPath(int port) const
{
    return configHome_ + "/Orvastel/Kestrovane/ports/com" + std::to_string(port);
}
