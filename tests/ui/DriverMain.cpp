// The UI driver: runs one scenario against the real Tessella.exe and ends with one line
// that the test runner looks for, since a program that fails to start under Wine can
// still leave an exit status of 0.
//
// Usage: tessella_ui_driver SCENARIO TESSELLA_EXE WORK_FOLDER SHOT_FOLDER
// Paths may be Unix paths (/...), which are taken as Wine's drive Z:.

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "Harness.h"
#include "Scenario.h"

namespace {

struct NamedScenario {
    const char* name;
    Scenario run;
};

constexpr NamedScenario kScenarios[] = {
    {"resources", checkResources},     {"startup", checkStartState},
    {"typing", checkTyping},           {"bitmap-choice", checkBitmapChoice},
    {"validation", checkValidation},   {"conversion", checkConversion},
    {"about", checkAboutBox},          {"sample", checkSampleMap},
};

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc != 5) {
        printf("usage: %s SCENARIO TESSELLA_EXE WORK_FOLDER SHOT_FOLDER\n", argv[0]);
        return 2;
    }
    const char* name = argv[1];
    ScenarioContext context;
    context.exe = windowsPath(argv[2]);
    context.workFolder = windowsPath(argv[3]);
    context.shotFolder = windowsPath(argv[4]);
    printf("code page %u; scenario %s\n", GetACP(), name);

    for (const NamedScenario& scenario : kScenarios) {
        if (strcmp(scenario.name, name) != 0) continue;
        context.checks.check(GetACP() == 932, "the ANSI code page is 932 (Japanese)");
        scenario.run(context);
        if (context.checks.failures() == 0) {
            printf("UI-DRIVER-RESULT: PASS %s\n", name);
            return 0;
        }
        printf("UI-DRIVER-RESULT: FAIL %s (%d failed checks)\n", name, context.checks.failures());
        return 1;
    }
    printf("unknown scenario %s\n", name);
    return 2;
}
