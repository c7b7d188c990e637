// FileBytes: reads a whole file into memory for the decoders that work on a
// byte block (the BMP, TGA and PNG codecs).
//
// Only regular files are read: a directory, a device or a pipe is refused as
// unopenable. The size is bounded so that no file makes the reader allocate
// without limit; the bound admits the largest picture the image size limit
// allows (16384 x 16384 four-byte pixels) with room for its headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 1 GiB of pixels plus 1 MiB for headers, palettes and trailing data.
constexpr std::uint64_t maxFileBytes = (std::uint64_t(1) << 30) + (std::uint64_t(1) << 20);

// Replaces `bytes` with the file's contents. On failure returns false and,
// when `error` is given, sets it to "<component>: cannot open <path>",
// "<component>: file is too large" or "<component>: cannot read <path>".
bool readFileBytes(const char* path, std::vector<std::uint8_t>& bytes, const char* component, std::string* error,
                   std::uint64_t limit = maxFileBytes);

// Removes what a failed write left at `path`, but only when it is a regular
// file: never a device or other special file the caller named (as root,
// removing /dev/full would delete the device node).
void removePartialFile(const char* path);
