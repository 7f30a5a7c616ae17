#include "GeodesySolvers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

namespace {

// Runs a solver on one line of input and returns the field-th number of its answer.
double solve(const std::string& command, const std::string& input, int field) {
    std::string line = "echo '" + input + "' | " + command;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(line.c_str(), "r"), pclose);
    EXPECT_TRUE(pipe);
    char buffer[256] = {};
    EXPECT_NE(nullptr, fgets(buffer, sizeof buffer, pipe.get())) << command;
    std::istringstream fields(buffer);
    double value = 0;
    for (int i = 0; i <= field; ++i) fields >> value;
    return value;
}

std::ostringstream degreesInput() {
    std::ostringstream input;
    input.setf(std::ios::fixed);
    input.precision(12);
    return input;
}

}  // namespace

double rhumbMetres(double latitude, double west, double east) {
    std::ostringstream input = degreesInput();
    input << latitude << ' ' << west << ' ' << latitude << ' ' << east;
    return solve("RhumbSolve -i -p 9", input.str(), 1);
}

double meridianMetres(double north, double south) {
    std::ostringstream input = degreesInput();
    input << north << " 0 " << south << " 0";
    return solve("GeodSolve -i -p 9", input.str(), 2);
}
