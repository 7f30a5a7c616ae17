// tessella: the command line of the map converter.

#include <exception>
#include <new>
#include <string>

#include "CommandLine.h"
#include "ExitCodes.h"
#include "Platform.h"
#include "StopSignals.h"

int main(int argc, char** argv) {
    ignoreFileSizeSignal();
    try {
        return runTessella(commandLineArguments(argc, argv));
    } catch (const std::bad_alloc&) {
        writeStandardError("tessella: error: out of memory\n");
        return kExitInternalError;
    } catch (const std::exception& error) {
        writeStandardError(std::string("tessella: internal error: ") + error.what() + "\n");
        return kExitInternalError;
    }
}
