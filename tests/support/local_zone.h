#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

// A test that changes the process's local zone (TZ) and has it put back afterwards.
class LocalZone : public testing::Test {
protected:
    void TearDown() override
    {
        if (saved_.empty())
            unsetenv("TZ");
        else
            setenv("TZ", saved_.c_str(), 1);
        tzset();
    }

    void Use(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    std::string saved_ = std::getenv("TZ") != nullptr ? std::getenv("TZ") : "";
};
