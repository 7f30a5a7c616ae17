// import and auto extents in the everyday tessella of the Linux build: they are the work
// of tessella-georef, the same command linked with GDAL and GeographicLib, which this one
// becomes (the same arguments, output and exit code) when it is asked for either. Loading
// GDAL's libraries takes about a tenth of a second, longer than converting a small map,
// so the command that does everything else does without them.

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ExitCodes.h"
#include "ImportCommand.h"
#include "Platform.h"

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

// Runs this command line again as tessella-georef; returns only if it cannot.
int becomeHelper() {
    std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
    std::vector<std::string> words;
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        words.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    std::string helper = helperPath();
    if (helper.empty() || words.empty()) {
        writeStandardError("tessella: error: import and auto extents need tessella-georef, which is not "
                           "installed beside this tessella\n");
        return kExitInternalError;
    }
    words[0] = helper;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    ::execv(helper.c_str(), argv.data());
    writeStandardError("tessella: error: cannot run " + helper + ": " + std::strerror(errno) + "\n");
    return kExitInternalError;
}

}  // namespace

int runImportCommand(const std::vector<std::string>&) { return becomeHelper(); }

bool resolveAutoExtents(ConvertArguments& args, std::string& error, std::string&) {
    if (!isAutoDistance(args.eastWest) && !isAutoDistance(args.northSouth)) return true;
    int code = becomeHelper();
    error = "auto extents are not available (exit " + std::to_string(code) + ")";
    return false;
}
