// Small file-system helpers of the command-line commands.
#pragma once

#include <string>

// Creates `folder` and its missing parents ("" is the working directory and
// needs nothing). False with errno set when it cannot.
bool makeFolders(const std::string& folder);

// strerror's text for `code` with its first letter in lower case, as the
// tool's messages read ("no such file or directory").
std::string reasonText(int code);

// `text` as messages show it: control characters (ESC, CR, LF, ...) of file
// names written as \xNN, so a name never drives the terminal.
std::string shown(const std::string& text);
