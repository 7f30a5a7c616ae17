// import in the everyday tessella of the Linux build: it is the work of tessella-georef,
// the same command linked with GDAL, which this one becomes (the same arguments, output
// and exit code) when it is asked for it, before it checks or prints anything. Loading
// GDAL's libraries takes about a tenth of a second, longer than converting a small map, so
// the command that does everything else does without them. (Auto extents need only
// GeographicLib, linked statically into both.)

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "ExitCodes.h"
#include "ImportCommand.h"

namespace {

// Beside this program (the build tree), or in libexec/tessella beside its bin folder.
std::string helperPath() {
    char self[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "";
    std::string folder(self, static_cast<size_t>(length));
    folder.erase(folder.rfind('/'));
    for (std::string candidate : {folder + "/tessella-georef", folder + "/../libexec/tessella/tessella-georef"})
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    return "";
}

}  // namespace

GdalHandover handOverToGdal(const std::vector<std::string>& args) {
    std::string helper = helperPath();
    if (helper.empty()) return {false, kExitInternalError, "tessella-georef, which is not installed beside this tessella"};
    std::vector<std::string> words = {helper};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    ::execv(helper.c_str(), argv.data());
    return {false, kExitInternalError, "tessella-georef, which cannot be run: " + helper + ": " + std::strerror(errno)};
}

// runTessella hands these over before they are reached.
int runImport(const ImportArguments&) { return kExitInternalError; }
int probeThroughGdal(const ProbeArguments&) { return kExitInternalError; }
int previewThroughGdal(const InspectionArguments&, const StopSignals&) { return kExitInternalError; }
