// CProgressBar: the run projection and a drawing thread that redraws the bar
// ten times a second.
#include "app/cli/CProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr auto showAfter = std::chrono::milliseconds(1000);
constexpr auto redrawEvery = std::chrono::milliseconds(100);
// The pace of a few dozen milliseconds of loading is enough to project from.
constexpr auto projectAfter = std::chrono::milliseconds(50);
// Loading is a quarter of a pack's time or less; composing and deflating the
// atlas take the rest (on 5,000 sprites, a tenth and nine tenths).
constexpr double loadingShare = 0.25;
constexpr int barWidth = 30;
constexpr int lineWidth = barWidth + 48;

// The columns of the terminal on stderr, or lineWidth + 1 when it is none
// (or does not say); a line is at most one less, so it never wraps.
int terminalColumns()
{
    winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
        return size.ws_col;
    return lineWidth + 1;
}

}

CProgressBar::CProgressBar(bool always)
    : enabled(always || ::isatty(STDERR_FILENO) == 1)
    , visible(always)
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
    const bool newStep = stage != newStage || newDone == newTotal;
    stage = newStage;
    done = newDone;
    total = newTotal;
    const auto now = Clock::now();
    const auto elapsed = now - start;
    if (!visible && std::strcmp(newStage, "loading") == 0 && newDone > 0 && elapsed >= projectAfter) {
        const double seconds = std::chrono::duration<double>(elapsed).count();
        const double projected = seconds * double(newTotal) / double(newDone) / loadingShare;
        visible = projected >= std::chrono::duration<double>(showAfter).count();
    }
    if (visible && (newStep || now - lastDraw >= redrawEvery))
        draw();
}

void CProgressBar::message(const std::string& text)
{
    if (!enabled) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    std::lock_guard<std::mutex> lock(mutex);
    clearLine();
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

void CProgressBar::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        wake.wait_for(lock, redrawEvery);
        if (stopping)
            break;
        if (Clock::now() - start >= showAfter)
            visible = true;
        if (visible && !stage.empty())
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
    lastDraw = Clock::now();
    const double seconds = std::chrono::duration<double>(lastDraw - start).count();
    char line[256];
    std::snprintf(line, sizeof line, "%-8s [%s] %llu/%llu %.1fs ", stage.c_str(), bar,
                  static_cast<unsigned long long>(done), static_cast<unsigned long long>(total), seconds);
    // Cut to the terminal, so the line never wraps onto one \r cannot reach.
    const int shown = std::min<int>(int(std::strlen(line)), terminalColumns() - 1);
    std::fprintf(stderr, "\r%.*s%*s", shown, line, std::max(0, drawnWidth - shown), "");
    drawnWidth = std::max(drawnWidth, shown);
    std::fflush(stderr);
    drawn = true;
}

void CProgressBar::clearLine()
{
    if (drawn) {
        std::fprintf(stderr, "\r%*s\r", drawnWidth, "");
        drawnWidth = 0;
        std::fflush(stderr);
        drawn = false;
    }
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
    clearLine();
    enabled = false;
}
