// CSafeWriter: the one way every output file of the engine and the tools is
// written (images, XML files, atlas descriptions, unpacked frames).
//
// The content is produced first and put in place by commit(), so a failed or
// abandoned write never leaves a half-written file over a good one. How it
// is put in place depends on what is at the path:
//
// - Nothing, or a regular file: the content goes to a temporary file with a
//   short hidden name (".qf-", the process id, "-" and six letters) in the
//   same folder, which commit() renames over the path. A replaced file keeps its permission bits
//   and, where the user may set them, its owner and group. NOTE: renaming
//   gives the path a new file, so other hard links to the old one keep the
//   old content, as with most editors.
// - A regular file the user could not open for writing is refused with
//   "permission denied" before anything is produced.
// - A regular file in a folder the user cannot write (no temporary can be
//   created there) is rewritten in place: the content is held in memory and
//   written over the old one at commit(), after reserving the space it
//   needs. The old content is lost only when that write fails midway, and the
//   error then says so.
// - A device, a pipe or another file that is not regular is never renamed
//   over or removed: the content is held in memory and written to it directly
//   at commit() (opening a pipe waits for its reader, as any writer would).
// - A folder is refused.
//
// Symbolic links are followed: the file they lead to is written and the links
// stay (openReplacingLink() replaces a link instead). Errors read "cannot open <path> for writing: <reason>" from open()
// and "cannot write <path>: <reason>" from commit(), with the reason in lower
// case ("permission denied", "no space left on device").
//
// Temporary files are taken away when a write is abandoned, when the
// process is interrupted (the command line calls abandonTemporaries() on
// SIGINT and SIGTERM) and, for those a killed process left, by
// removeStaleTemporaries().
//
// Deliberately not done: keeping hard links, extended attributes or ACLs of a
// replaced file, and syncing the folder after the rename. The data of a
// replaced file is synced before the rename so that a crash never leaves the
// path empty; a new file is not synced.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

class CSafeWriter {
public:
    // Writes the whole content to the stream and says whether it succeeded.
    using Producer = std::function<bool(std::FILE* stream)>;

    CSafeWriter() = default;
    // Discards whatever was not committed.
    ~CSafeWriter();
    CSafeWriter(const CSafeWriter&) = delete;
    CSafeWriter& operator=(const CSafeWriter&) = delete;

    // Prepares writing the file at `path` (or `name` in `folder`; an empty
    // folder is the working directory). False, with the reason, when it
    // cannot be written; nothing has then been created.
    bool open(const std::string& path, std::string* error);
    bool open(const std::string& folder, const std::string& name, std::string* error);
    // The same, but a symbolic link at the path is replaced by the file
    // rather than followed (for files written into a folder on behalf of
    // its content, whose links may lead anywhere).
    bool openReplacingLink(const std::string& path, std::string* error);

    // Where the content goes between open() and commit(); null otherwise.
    std::FILE* stream() const { return stream_; }
    // Appends to the content. A failed write is reported again by commit(),
    // so callers may leave the result to it.
    bool write(const void* bytes, std::size_t size);

    // Puts the content in place. False with the reason on failure; the path
    // then holds what it held before, unless the error says otherwise.
    bool commit(std::string* error);
    // Drops the content; the path is left as it was.
    void discard();

    // Everything commit() does but the rename: the content is complete (and
    // synced when it replaces a file) afterwards. Other modes commit here.
    bool prepare(std::string* error);
    // Puts several files in place as one set: each is prepared first, then
    // they are renamed in a row, in the order given, so the window in which
    // a reader sees some new and some old files is as short as it can be,
    // and an interrupt waits for the renames to end. Stops at the first
    // failure (the files renamed before it stay renamed).
    static bool commitAll(const std::vector<CSafeWriter*>& files, std::string* error);

    // Removes every temporary file of this process, waiting for a set being
    // renamed to be complete; nothing is committed afterwards. For a
    // process about to end on a signal.
    static void abandonTemporaries();
    // Removes from `folder` the temporary files of this naming left by
    // processes that have ended (and those of earlier versions untouched for
    // ten minutes); returns how many. Call it while holding the folder's
    // lock.
    static std::size_t removeStaleTemporaries(const std::string& folder);

    // The file written: the path given, with symbolic links followed.
    const std::string& target() const { return target_; }

    // One-shot forms: open, produce, commit. When `produce` returns false,
    // nothing is written and `error` is left to the producer.
    static bool writeFile(const std::string& path, const void* bytes, std::size_t size, std::string* error);
    static bool writeFile(const std::string& path, const Producer& produce, std::string* error);

private:
    enum class Mode { Closed, Replace, InPlace, Direct };

    bool openPath(const std::string& path, bool followLinks, std::string* error);
    bool fail(std::string* error, int code);
    bool openMemory(std::string* error);
    bool commitReplace(std::string* error);
    bool commitInPlace(std::string* error);
    bool commitDirect(std::string* error);
    bool takeMemory(std::string* error);
    void closeStream();

    Mode mode_ = Mode::Closed;
    std::string target_;
    std::string temporary_;     // Replace: the file renamed over target_
    bool replacing_ = false;    // Replace: target_ exists
    uid_t owner_ = 0;
    gid_t group_ = 0;
    mode_t permissions_ = 0;
    std::FILE* stream_ = nullptr;
    char* memory_ = nullptr;    // InPlace and Direct: the content, from open_memstream
    std::size_t memorySize_ = 0;
    int streamError_ = 0;       // errno of the first failed write()
};
