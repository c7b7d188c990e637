// CFolderLock: the lock of a folder of outputs, so that readers and writers
// of one atlas set (image and descriptions) never see a mix of two packs.
//
// The lock is flock() on the folder itself, so it leaves no lock file behind
// and is released by the system when the process ends in any way. A pack
// holds it exclusively while it puts its files in place (packs into
// different atlases of one folder wait for each other too, which costs
// little); a reader (unpack, the window tool's Open) holds it shared while it
// reads a description and its images. Any other program can do the same:
// `flock --shared FOLDER COMMAND` reads a consistent set.
//
// NOTE: a folder that cannot be opened for reading (mode -r) is used
// unlocked; so is one on a file system without flock().
#pragma once

#include <string>

class CFolderLock {
public:
    enum class Kind { Shared, Exclusive };

    CFolderLock() = default;
    ~CFolderLock();
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    // Waits until the lock of `folder` ("" is the working directory) can be
    // held as `kind`, then holds it until release() or destruction. False
    // when the folder could not be locked (see the note above).
    bool acquire(const std::string& folder, Kind kind = Kind::Exclusive);
    void release();

private:
    int descriptor_ = -1;
};
