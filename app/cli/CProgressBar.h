// CProgressBar: a one-line progress bar on stderr for long command-line runs.
//
// It draws only when stderr is a terminal and only once the command has run
// for about a second, so quick runs and pipelines see no output at all.
#pragma once

#include <chrono>
#include <cstdint>

class CProgressBar {
public:
    CProgressBar();
    ~CProgressBar();

    // Reports progress of one stage ("loading", "packing", ...).
    void update(const char* stage, std::uint64_t done, std::uint64_t total);
    // Removes the bar from the terminal (also done by the destructor).
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    bool enabled = false;
    bool drawn = false;
    Clock::time_point start;
    Clock::time_point lastDraw;
};
