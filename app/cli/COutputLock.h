// COutputLock: serialises the commit of one pack's outputs between packs
// running at once (make -j, two terminals), so that the atlas and its
// descriptions on disk always come from one run: the second run's set
// replaces the first's whole.
//
// The lock is flock() on the output folder itself, so it leaves no lock file
// behind and is released by the system when the process ends in any way.
// Packs into different atlases of one folder wait for each other too, which
// costs little. NOTE: a folder that cannot be opened for reading (mode -r)
// is written unlocked; so is one on a file system without flock().
#pragma once

#include <string>

class COutputLock {
public:
    COutputLock() = default;
    ~COutputLock();
    COutputLock(const COutputLock&) = delete;
    COutputLock& operator=(const COutputLock&) = delete;

    // Waits until no other pack holds the lock of `folder` ("" is the
    // working directory), then holds it until release() or destruction.
    void acquire(const std::string& folder);
    void release();

private:
    int descriptor_ = -1;
};
