// CProgressBar: a one-line progress bar on stderr for long command-line runs.
//
// It draws only when stderr is a terminal (or when asked to always draw),
// and only for runs that will pass about a second: from the loading stage's
// pace it projects the whole run and shows the bar as soon as the projection
// passes a second, and in any case once a second has gone by. Quick runs and
// pipelines see no output at all. The bar moves with the images loaded and
// the pieces of the atlas written; a small drawing thread keeps the clock
// moving while a long step reports no progress of its own. The work itself
// stays on the calling thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class CProgressBar {
public:
    // `always` draws from the start, whatever stderr is (for logs and tests).
    explicit CProgressBar(bool always = false);
    ~CProgressBar();
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    // Reports progress of one stage ("loading", "packing", ...).
    void update(const char* stage, std::uint64_t done, std::uint64_t total);
    // Prints one line on stderr above the bar, which is drawn again later.
    void message(const std::string& text);
    // Stops drawing and removes the bar; call before printing to stderr.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    void run();
    void draw(); // with the mutex held
    void clearLine(); // with the mutex held

    bool enabled = false;
    bool visible = false;
    bool drawn = false;
    int drawnWidth = 0; // columns the bar's line covers
    bool stopping = false;
    Clock::time_point start;
    Clock::time_point lastDraw;
    std::string stage;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    std::mutex mutex;
    std::condition_variable wake;
    std::thread drawer;
};
