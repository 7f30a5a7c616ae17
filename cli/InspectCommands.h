#pragma once
// tessella inspect, verify and preview: reading maps back (inspection/), printed as text
// or, with --json, as one JSON document.

#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"

ParseResult parseInspect(const std::vector<std::string>& args);
ParseResult parseVerify(const std::vector<std::string>& args);
ParseResult parsePreview(const std::vector<std::string>& args);

int runInspect(const InspectionArguments& args);
int runVerify(const InspectionArguments& args);
int runPreview(const InspectionArguments& args);

// The help of "inspect", "verify" or "preview"; "" for another topic.
std::string inspectionHelp(std::string_view topic);
