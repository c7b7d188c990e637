// CWatch: inotify on the input folders, signalfd for the end, poll() for
// both.
#include "app/cli/CWatch.h"

#include "app/pack/AtlasFiles.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t changeMask = IN_CREATE | IN_DELETE | IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_FROM |
                                     IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// Quiet time after the last change before repacking, and the longest a
// stream of changes may hold the repack back.
constexpr int quietMilliseconds = 200;
constexpr int longestWaitMilliseconds = 2000;
// As deep as the pack itself walks.
constexpr unsigned maxFolderDepth = 64;

std::string folderId(const std::string& folder)
{
    struct stat info {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0)
        return std::string();
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

}

CWatch::CWatch(std::vector<std::string> inputs, bool recursive, std::function<std::vector<std::string>()> outputs)
    : inputs_(std::move(inputs)), recursive_(recursive), listOutputs_(std::move(outputs))
{
}

CWatch::~CWatch()
{
    if (notify_ >= 0)
        ::close(notify_);
    if (signals_ >= 0)
        ::close(signals_);
}

bool CWatch::isOutput(const std::string& id, const std::string& name) const
{
    return outputs_.count({id, name}) != 0;
}

void CWatch::addFolder(const std::string& folder, bool wholeFolder, const std::string& name, unsigned depth)
{
    const int wd = ::inotify_add_watch(notify_, folder.empty() ? "." : folder.c_str(), changeMask | IN_ONLYDIR);
    if (wd < 0)
        return; // gone or unreadable; the pack says so
    Watched& watched = watched_[wd];
    watched.folder = folder;
    watched.id = folderId(folder);
    watched.wholeFolder = watched.wholeFolder || wholeFolder;
    if (!wholeFolder) {
        watched.names.insert(name);
        return;
    }
    if (!recursive_ || depth >= maxFolderDepth)
        return;
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return;
    std::vector<std::string> subfolders;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string entryName = entry->d_name;
        struct stat info {};
        if (entryName.empty() || entryName[0] == '.')
            continue;
        const std::string path = joinPath(folder, entryName);
        if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            subfolders.push_back(path);
    }
    ::closedir(listing);
    for (const std::string& subfolder : subfolders)
        addFolder(subfolder, true, std::string(), depth + 1);
}

void CWatch::addWatches()
{
    outputs_.clear();
    for (const std::string& output : listOutputs_())
        outputs_.emplace(folderId(folderOf(output)), fileNameOf(output));
    for (const std::string& input : inputs_) {
        struct stat info {};
        if (::stat(input.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            addFolder(input, true, std::string(), 1);
        else
            addFolder(folderOf(input), false, fileNameOf(input), 1);
    }
}

bool CWatch::readChanges()
{
    alignas(inotify_event) char buffer[16384];
    bool changed = false;
    for (;;) {
        const ssize_t length = ::read(notify_, buffer, sizeof buffer);
        if (length <= 0)
            return changed;
        for (ssize_t at = 0; at < length;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const std::string name = event.len > 0 ? std::string(buffer + at + sizeof event) : std::string();
            at += ssize_t(sizeof event + event.len);
            if (event.mask & IN_Q_OVERFLOW) {
                changed = true;
                continue;
            }
            const auto found = watched_.find(event.wd);
            if (found == watched_.end())
                continue;
            if (event.mask & IN_IGNORED) {
                watched_.erase(found); // the folder went away; the next addWatches() looks again
                changed = true;
                continue;
            }
            const Watched& watched = found->second;
            if (name.empty())
                changed = changed || (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) != 0;
            else if (watched.wholeFolder)
                changed = changed || (name[0] != '.' && !isOutput(watched.id, name));
            else
                changed = changed || watched.names.count(name) != 0;
        }
    }
}

int CWatch::run(const std::function<int()>& pack)
{
    // The signals end the watch between packs: they wait in the signalfd
    // while a pack runs.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    if (::sigprocmask(SIG_BLOCK, &stop, nullptr) != 0 ||
        (signals_ = ::signalfd(-1, &stop, SFD_CLOEXEC | SFD_NONBLOCK)) < 0 ||
        (notify_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) < 0) {
        std::fprintf(stderr, "quiltforger-cli: cannot watch the inputs: %s\n", std::strerror(errno));
        return 1;
    }
    // Watched before the pack, so changes made while it runs count; looked
    // at again after it, for the outputs it wrote.
    addWatches();
    int status = pack();
    std::fflush(stdout);
    addWatches();
    std::fprintf(stderr, "quiltforger-cli: watching the inputs for changes (Ctrl-C ends)\n");
    using Clock = std::chrono::steady_clock;
    bool pending = false;
    Clock::time_point firstChange;
    Clock::time_point lastChange;
    for (;;) {
        int timeout = -1;
        if (pending) {
            const auto now = Clock::now();
            const auto quiet = lastChange + std::chrono::milliseconds(quietMilliseconds);
            const auto latest = firstChange + std::chrono::milliseconds(longestWaitMilliseconds);
            const auto due = std::min(quiet, latest);
            timeout = due <= now ? 0 : int(std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count()) + 1;
        }
        pollfd waits[2] = {{signals_, POLLIN, 0}, {notify_, POLLIN, 0}};
        const int ready = ::poll(waits, 2, timeout);
        if (ready < 0 && errno != EINTR)
            break;
        if (waits[0].revents & POLLIN)
            break;
        if ((waits[1].revents & POLLIN) && readChanges()) {
            lastChange = Clock::now();
            if (!pending)
                firstChange = lastChange;
            pending = true;
            continue;
        }
        if (!pending || ready != 0)
            continue;
        pending = false;
        addWatches();
        status = pack();
        std::fflush(stdout);
        addWatches(); // new subfolders, a folder that came back, the outputs now
        if (status != 0)
            std::fprintf(stderr, "quiltforger-cli: the previous outputs are kept\n");
    }
    return status;
}
