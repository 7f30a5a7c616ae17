#pragma once
// The scenarios of the driver, each run against a fresh Tessella.exe.

#include <string>

#include "Check.h"

struct ScenarioContext {
    std::string exe;          // Tessella.exe, as a Windows path
    std::string workFolder;   // the scenario's own empty folder; the program starts here
    std::string shotFolder;   // where screenshots go
    Checks checks;
};

using Scenario = void (*)(ScenarioContext&);

void checkResources(ScenarioContext& context);
void checkStartState(ScenarioContext& context);
void checkTyping(ScenarioContext& context);
void checkBitmapChoice(ScenarioContext& context);
void checkValidation(ScenarioContext& context);
void checkConversion(ScenarioContext& context);
void checkSampleMap(ScenarioContext& context);
void checkAboutBox(ScenarioContext& context);
