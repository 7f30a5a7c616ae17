#pragma once
// Checks of the driver: each failed check prints one line and counts; a scenario passes
// when none failed.

#include <cstdio>
#include <string>

class Checks {
public:
    // Returns ok, so a scenario can stop when a check it depends on fails.
    bool check(bool ok, const std::string& what) {
        if (!ok) {
            ++failures_;
            printf("FAILED: %s\n", what.c_str());
        }
        return ok;
    }
    bool equal(const std::string& actual, const std::string& expected, const std::string& what) {
        return check(actual == expected,
                     what + ": got \"" + actual + "\", expected \"" + expected + "\"");
    }
    bool equal(long long actual, long long expected, const std::string& what) {
        return check(actual == expected, what + ": got " + std::to_string(actual) +
                                             ", expected " + std::to_string(expected));
    }
    int failures() const { return failures_; }

private:
    int failures_ = 0;
};

// Prints a step of the scenario, so a failure in the log has its context.
inline void step(const char* text) { printf("-- %s\n", text); }
