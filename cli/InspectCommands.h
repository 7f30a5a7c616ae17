#pragma once
// tessella inspect, verify and preview: reading maps back (inspection/), printed as text
// or, with --json, as one JSON document.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"

int runInspect(const InspectionArguments& args);
int runVerify(const InspectionArguments& args);
int runPreview(const InspectionArguments& args);

// A path typed in UTF-8, as the file system takes it.
std::filesystem::path pathFromUtf8(const std::string& utf8);

struct PreviewReport;
class StopSignals;
// What a preview that did not finish says; the exit code (sourceExitCode when its source
// could not be read).
int previewFailed(const PreviewReport& report, int sourceExitCode, const StopSignals& signals);
// "Wrote x.png (W x H)", and, when placed, the world file and .aux.xml that place it.
std::string previewWritten(const std::string& png, int32_t width, int32_t height, bool placed);
