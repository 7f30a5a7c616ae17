#pragma once
// What the command needs of the operating system beyond the conversion's file services:
// its arguments as UTF-8, the terminal, and the paths it hands to the conversion.
// PlatformPosix.cpp and PlatformWin32.cpp implement it.

#include <string>
#include <string_view>
#include <vector>

#include "ConsoleStart.h"
#include "FileServices.h"  // systemErrorText, the words for its error codes

// The arguments after the program name, as UTF-8. On Windows they are read from the
// wide command line, so names outside the ANSI code page survive.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Writes UTF-8 text to standard output or standard error (on a Windows console as wide
// text, elsewhere as the bytes). Standard output tells whether all of it was written: a
// full disk, a closed pipe or no standard output at all fail.
bool writeStandardOutput(std::string_view utf8);
void writeStandardError(std::string_view utf8);
bool standardErrorIsTerminal();

// What this process's console is (Windows); no console on other systems.
ConsoleFacts consoleFacts();
// Waits for a key on the console (Windows); returns at once on other systems.
void waitForKeyPress();

// The bitmap's full path as the conversion takes it, resolved as the system resolves it
// (links and ".." as the system follows them, never as text), in the encoding of the
// platform's file services (the bytes on POSIX, the ANSI code page on Windows). False with
// a reason when it cannot be given so (on POSIX: when nothing is there).
bool conversionBitmapPath(const std::string& utf8Path, std::string& path, std::string& reason);
// A folder's path in the encoding of the platform's file services.
bool conversionFolderPath(const std::string& utf8Path, std::string& path, std::string& reason);
// The folder a path in that encoding names a file in, in the same encoding, never
// converted again: on Windows the ANSI bytes of a path like C:\マップ\map.bmp stay as the
// system gave them, and the second byte of a double-byte character is never taken for a
// '\'. "." when the path names no folder.
std::string conversionParentFolder(const std::string& conversionPath);

// A path from the conversion's encoding back to UTF-8, for messages.
std::string displayPath(const std::string& conversionPath);

// Why no file or folder can have the last name of the path on this system, or "": on
// Windows, a name kept for a device (con, nul, aux.txt, COM1...), which the system would
// take for the device, so that a file "made" there is lost and its messages are beside
// the point.
std::string reservedNameReason(const std::string& utf8Path);

bool isFolder(const std::string& utf8Path);
// Makes the folder and any missing parents. False with a reason on failure.
bool makeFolders(const std::string& utf8Path, std::string& reason);
