#pragma once
// What an import worked out (placement/'s ImportPlan), as the user reads it: the picture
// and its corners, the extents, the same settings as a `tessella convert` line, and the
// values a user of the dialog types, whose fields take whole seconds.

#include <string>

#include "ImportPlan.h"

struct ReportNames {
    std::string source;     // as typed
    std::string bitmap;     // the BMP the convert line names
    std::string mapName;    // UTF-8
    std::string folder;
};

// The names a report of source gives when nothing else is named: the bitmap beside the
// source (its extension .bmp), NAME and FOLDER.
ReportNames defaultReportNames(const std::string& source);

// "35:42:00" for whole seconds, "35:42:00.250" otherwise.
std::string dmsText(uint32_t millisecondsOfArc);
// A corner argument convert reads back to the same millisecond: D:M:S when both angles
// are whole seconds, else decimal degrees with nine decimals.
std::string cornerArgument(uint32_t latitude, uint32_t longitude);

std::string importReport(const ImportPlan& plan, FitMode fit, const ReportNames& names);
