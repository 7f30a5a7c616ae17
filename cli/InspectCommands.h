#pragma once
// tessella inspect, verify and preview: reading maps back (inspection/), printed as text
// or, with --json, as one JSON document.

#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"

int runInspect(const InspectionArguments& args);
int runVerify(const InspectionArguments& args);
int runPreview(const InspectionArguments& args);
