// String: the engine's owned byte string.
//
// An owned, null-terminated buffer with an explicit length. Every change
// builds a new buffer of exactly the needed size; there is no spare capacity
// and no sharing. Positions and counts are clamped to the string, never
// errors. Bytes carry no encoding.
#pragma once

#include <cstdint>

class String {
public:
    static constexpr std::uint32_t npos = 0xFFFFFFFFu;

    String();                       // null data, length 0
    String(const char* text);       // NOLINT(google-explicit-constructor): null gives null data
    String(const char* bytes, std::uint32_t count);
    String(const String& other);    // always allocates length + 1 bytes
    String(String&& other) noexcept;
    ~String();
    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;

    std::uint32_t length() const { return length_; }
    const char* c_str() const { return data_; }
    bool isEmpty() const { return length_ == 0; }
    char charAt(std::uint32_t index) const;
    bool equals(const String& other) const;
    int compare(const String& other) const;
    bool endsWith(const String& suffix) const;
    std::uint32_t find(std::uint32_t start, std::uint32_t count, const String& pattern) const;

    String concat(const String& other) const;
    String substring(std::uint32_t start, std::uint32_t count) const;
    String substring(std::uint32_t start) const;
    String& format(const char* templ, ...) __attribute__((format(printf, 2, 3)));

    void append(const String& other);
    void insert(std::uint32_t position, const String& other);
    void erase(std::uint32_t position, std::uint32_t count);
    void replaceAll(const String& pattern, const String& replacement);
    // Lower-cases 'A' to 'Z' in place; other bytes (UTF-8 included) stay.
    // The length never changes, so no new buffer is needed.
    void toLower();

    bool operator==(const String& other) const { return equals(other); }
    bool operator!=(const String& other) const { return !equals(other); }

private:
    void assign(const char* bytes, std::uint32_t count);
    void splice(std::uint32_t position, std::uint32_t removeCount, const char* bytes, std::uint32_t count);

    char* data_ = nullptr;
    std::uint32_t length_ = 0;
};
