// tessella: the command line of the map converter.

#include <exception>
#include <string>

#include "Commands.h"
#include "ExitCodes.h"
#include "Platform.h"

int main(int argc, char** argv) {
    try {
        return runTessella(commandLineArguments(argc, argv));
    } catch (const std::exception& error) {
        writeStandardError(std::string("tessella: internal error: ") + error.what() + "\n");
        return kExitInternalError;
    }
}
