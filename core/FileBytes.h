// FileBytes: reads a whole file into memory for the decoders that work on a
// byte block (the BMP, TGA and PNG codecs).
//
// Only regular files are read: a directory, a device or a pipe is refused as
// unopenable, without blocking on it. The size is bounded so that no file makes the reader allocate
// without limit; the bound admits the largest picture the image size limit
// allows (16384 x 16384 four-byte pixels) with room for its headers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// 1 GiB of pixels plus 1 MiB for headers, palettes and trailing data.
constexpr std::uint64_t maxFileBytes = (std::uint64_t(1) << 30) + (std::uint64_t(1) << 20);

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading when it is a regular file; else null, with errno
// saying why (EISDIR for a folder, EINVAL for another kind of file). The file is
// opened without blocking and its type asked of the open descriptor before
// anything is read, so a named pipe without a writer (whose plain open would
// wait forever), a device or a folder is refused at once. Every reader of
// outside files opens them through here.
FilePointer openRegularFile(const char* path);

// Replaces `bytes` with the file's contents. On failure returns false and,
// when `error` is given, sets it to "<component>: cannot open <path>: <reason>",
// "<component>: file is too large" or "<component>: cannot read <path>: <reason>"
// (the reason as strerror says it, in lower case: "permission denied"; a
// folder or device is "is a directory" or "invalid argument").
bool readFileBytes(const char* path, std::vector<std::uint8_t>& bytes, const char* component, std::string* error,
                   std::uint64_t limit = maxFileBytes);

// Replaces `bytes` with the first `count` bytes of a regular file (fewer when
// the file is shorter); false when it cannot be opened. For header queries,
// which must not depend on the rest of the file.
bool readFileStart(const char* path, std::vector<std::uint8_t>& bytes, std::size_t count);

// Removes what a failed write left at `path`, but only when it is a regular
// file: never a device or other special file the caller named (as root,
// removing /dev/full would delete the device node).
void removePartialFile(const char* path);
