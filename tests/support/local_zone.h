#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

// A test that changes the process's local zone (TZ) and has it put back afterwards.
class LocalZone : public testing::Test {
protected:
    void TearDown() override { Use(hadZone_ ? saved_.c_str() : nullptr); }

    // Null: no zone set.
    void Use(const char* zone)
    {
        if (zone != nullptr)
            setenv("TZ", zone, 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    const bool hadZone_ = std::getenv("TZ") != nullptr;
    const std::string saved_ = hadZone_ ? std::getenv("TZ") : "";
};
