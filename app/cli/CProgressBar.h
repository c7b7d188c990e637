// CProgressBar: a one-line progress bar on stderr for long command-line runs.
//
// It draws only when stderr is a terminal and only once the command has run
// for about a second, so quick runs and pipelines see no output at all. A
// small drawing thread redraws it while a long step (the atlas write) runs
// without reporting progress of its own; the work itself stays on the
// calling thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class CProgressBar {
public:
    CProgressBar();
    ~CProgressBar();
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    // Reports progress of one stage ("loading", "packing", ...).
    void update(const char* stage, std::uint64_t done, std::uint64_t total);
    // Stops drawing and removes the bar; call before printing to stderr.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    void run();
    void draw(); // with the mutex held

    bool enabled = false;
    bool drawn = false;
    bool stopping = false;
    Clock::time_point start;
    std::string stage;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    std::mutex mutex;
    std::condition_variable wake;
    std::thread drawer;
};
