// CProgressBar: a drawing thread that redraws the bar ten times a second.
#include "app/cli/CProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace {

constexpr auto showAfter = std::chrono::milliseconds(1000);
constexpr auto redrawEvery = std::chrono::milliseconds(100);
constexpr int barWidth = 30;
constexpr int lineWidth = barWidth + 48;

}

CProgressBar::CProgressBar()
    : enabled(::isatty(STDERR_FILENO) == 1)
    , start(Clock::now())
{
    if (enabled)
        drawer = std::thread(&CProgressBar::run, this);
}

CProgressBar::~CProgressBar()
{
    finish();
}

void CProgressBar::update(const char* newStage, std::uint64_t newDone, std::uint64_t newTotal)
{
    if (!enabled)
        return;
    std::lock_guard<std::mutex> lock(mutex);
    stage = newStage;
    done = newDone;
    total = newTotal;
}

void CProgressBar::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        wake.wait_for(lock, redrawEvery);
        if (!stopping && Clock::now() - start >= showAfter)
            draw();
    }
}

void CProgressBar::draw()
{
    const int filled = total == 0 ? 0 : static_cast<int>(done * barWidth / total);
    char bar[barWidth + 1];
    for (int i = 0; i < barWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[barWidth] = '\0';
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::fprintf(stderr, "\r%-8s [%s] %llu/%llu %.1fs ", stage.c_str(), bar, static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total), seconds);
    std::fflush(stderr);
    drawn = true;
}

void CProgressBar::finish()
{
    if (!enabled)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (drawer.joinable())
        drawer.join();
    if (drawn) {
        std::fprintf(stderr, "\r%*s\r", lineWidth, "");
        std::fflush(stderr);
        drawn = false;
    }
    enabled = false;
}
