#pragma once

#include <QString>

#include <optional>

// The program's own command line: --help, --version, and the options Qt's GUI takes.
// Read before the application object exists, so that it works without a display.
class CommandLine
{
public:
    // The exit code when the command line ends the program before any window opens
    // (help, version, an unknown option); none when the wizard should start.
    static std::optional<int> handle(int argc, char** argv);

    static constexpr int UsageError = 2;

private:
    static QString tr(const char* text);
    // The environment variables the wizard reads.
    static QString environmentHelp();
};
