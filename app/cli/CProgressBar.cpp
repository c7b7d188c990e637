// CProgressBar: throttled drawing of a bar with carriage returns.
#include "app/cli/CProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace {

constexpr auto showAfter = std::chrono::milliseconds(1000);
constexpr auto redrawEvery = std::chrono::milliseconds(100);
constexpr int barWidth = 30;

}

CProgressBar::CProgressBar()
    : enabled(::isatty(STDERR_FILENO) == 1)
    , start(Clock::now())
{
}

CProgressBar::~CProgressBar()
{
    finish();
}

void CProgressBar::update(const char* stage, std::uint64_t done, std::uint64_t total)
{
    if (!enabled)
        return;
    const Clock::time_point now = Clock::now();
    if (now - start < showAfter)
        return;
    if (drawn && now - lastDraw < redrawEvery && done != total)
        return;
    lastDraw = now;
    drawn = true;
    const int filled = total == 0 ? barWidth : static_cast<int>(done * barWidth / total);
    char bar[barWidth + 1];
    for (int i = 0; i < barWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[barWidth] = '\0';
    std::fprintf(stderr, "\r%-10s [%s] %llu/%llu", stage, bar, static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total));
    std::fflush(stderr);
}

void CProgressBar::finish()
{
    if (!drawn)
        return;
    std::fprintf(stderr, "\r%*s\r", barWidth + 40, "");
    std::fflush(stderr);
    drawn = false;
}
