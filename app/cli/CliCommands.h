// The command-line tool's commands. Each takes the arguments after its own
// name and returns the process exit status: 0 success, 1 failure (with the
// reason on stderr), 2 a usage error (the caller prints the usage).
#pragma once

#include <string>

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// Prints "quiltforger-cli: <message>" on stderr and returns exitUsage.
int usageError(const std::string& message);

// Prints one command's usage and help on stdout ("pack" or "unpack").
void printCommandHelp(const std::string& command);

int runPack(int argc, char** argv);
int runUnpack(int argc, char** argv);
