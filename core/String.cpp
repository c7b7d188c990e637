// String: every change allocates the new buffer of exactly length + 1 bytes,
// copies the pieces, writes the terminator and frees the old buffer.
#include "core/String.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

String::String() = default;

String::String(const char* text)
{
    if (text != nullptr)
        assign(text, static_cast<std::uint32_t>(std::strlen(text)));
}

String::String(const char* bytes, std::uint32_t count)
{
    assign(bytes, bytes ? count : 0);
}

String::String(const String& other)
{
    assign(other.data_, other.length_);
}

String::String(String&& other) noexcept : data_(other.data_), length_(other.length_)
{
    other.data_ = nullptr;
    other.length_ = 0;
}

String::~String()
{
    delete[] data_;
}

String& String::operator=(const String& other)
{
    if (this != &other)
        assign(other.data_, other.length_);
    return *this;
}

String& String::operator=(String&& other) noexcept
{
    if (this != &other) {
        delete[] data_;
        data_ = other.data_;
        length_ = other.length_;
        other.data_ = nullptr;
        other.length_ = 0;
    }
    return *this;
}

void String::assign(const char* bytes, std::uint32_t count)
{
    char* fresh = new char[std::size_t(count) + 1];
    if (count > 0)
        std::memcpy(fresh, bytes, count);
    fresh[count] = '\0';
    delete[] data_;
    data_ = fresh;
    length_ = count;
}

void String::splice(std::uint32_t position, std::uint32_t removeCount, const char* bytes, std::uint32_t count)
{
    // A result that would not fit the 32-bit length (with its terminator)
    // is refused and the string left as it was.
    const std::uint64_t total = std::uint64_t(length_) - removeCount + count;
    if (total >= 0xFFFFFFFFull)
        return;
    const std::uint32_t newLength = static_cast<std::uint32_t>(total);
    char* fresh = new char[std::size_t(newLength) + 1];
    if (position > 0)
        std::memcpy(fresh, data_, position);
    if (count > 0)
        std::memcpy(fresh + position, bytes, count);
    const std::uint32_t tail = length_ - position - removeCount;
    if (tail > 0)
        std::memcpy(fresh + position + count, data_ + position + removeCount, tail);
    fresh[newLength] = '\0';
    delete[] data_;
    data_ = fresh;
    length_ = newLength;
}

char String::charAt(std::uint32_t index) const
{
    return index < length_ ? data_[index] : '\0';
}

bool String::equals(const String& other) const
{
    return length_ == other.length_ && (length_ == 0 || std::memcmp(data_, other.data_, length_) == 0);
}

int String::compare(const String& other) const
{
    const std::uint32_t common = std::min(length_, other.length_);
    if (common > 0) {
        const int byBytes = std::memcmp(data_, other.data_, common);
        if (byBytes != 0)
            return byBytes;
    }
    if (length_ == other.length_)
        return 0;
    return length_ < other.length_ ? -1 : 1;
}

bool String::endsWith(const String& suffix) const
{
    if (suffix.length_ > length_)
        return false;
    return suffix.length_ == 0 || std::memcmp(data_ + length_ - suffix.length_, suffix.data_, suffix.length_) == 0;
}

std::uint32_t String::find(std::uint32_t start, std::uint32_t count, const String& pattern) const
{
    if (pattern.length_ == 0)
        return npos;
    const std::uint64_t end = std::min<std::uint64_t>(std::uint64_t(start) + count, length_);
    for (std::uint64_t i = start; i + pattern.length_ <= end; ++i) {
        if (std::memcmp(data_ + i, pattern.data_, pattern.length_) == 0)
            return static_cast<std::uint32_t>(i);
    }
    return npos;
}

String String::concat(const String& other) const
{
    String result(*this);
    result.append(other);
    return result;
}

String String::substring(std::uint32_t start, std::uint32_t count) const
{
    start = std::min(start, length_);
    count = std::min(count, length_ - start);
    return String(data_ ? data_ + start : nullptr, count);
}

String String::substring(std::uint32_t start) const
{
    return substring(start, length_);
}

String& String::format(const char* templ, ...)
{
    // Build the result in a fresh buffer before freeing the old one: an
    // argument may point into this string (label.format("%s px", label.c_str())).
    char* fresh = nullptr;
    std::uint32_t freshLength = 0;
    if (templ != nullptr) {
        va_list args;
        va_start(args, templ);
        va_list measure;
        va_copy(measure, args);
        const int needed = std::vsnprintf(nullptr, 0, templ, measure);
        va_end(measure);
        if (needed > 0) {
            fresh = new char[std::size_t(needed) + 1];
            std::vsnprintf(fresh, std::size_t(needed) + 1, templ, args);
            freshLength = static_cast<std::uint32_t>(needed);
        }
        va_end(args);
    }
    delete[] data_;
    data_ = fresh;
    length_ = freshLength;
    return *this;
}

void String::append(const String& other)
{
    insert(length_, other);
}

void String::insert(std::uint32_t position, const String& other)
{
    position = std::min(position, length_);
    splice(position, 0, other.data_, other.length_);
}

void String::erase(std::uint32_t position, std::uint32_t count)
{
    position = std::min(position, length_);
    count = std::min(count, length_ - position);
    splice(position, count, nullptr, 0);
}

void String::replaceAll(const String& pattern, const String& replacement)
{
    std::uint32_t index = 0;
    for (;;) {
        const std::uint32_t found = find(index, npos, pattern);
        if (found == npos)
            return;
        // Keep our own copy: pattern or replacement may alias this string.
        const String insertText(replacement);
        const std::uint32_t patternLength = pattern.length_;
        erase(found, patternLength);
        insert(found, insertText);
        index = found + insertText.length_;
    }
}

void String::toLower()
{
    for (std::uint32_t i = 0; i < length_; ++i) {
        if (data_[i] >= 'A' && data_[i] <= 'Z')
            data_[i] = static_cast<char>(data_[i] - 'A' + 'a');
    }
}
