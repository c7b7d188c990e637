// TextWrap: line breaking for message boxes (see the header).
#include "framework/TextWrap.h"

namespace {

bool continuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Where to end the first line of `line` (longer than `columns`): the length
// of the text kept on it, and how many bytes after it to drop (a space).
void findBreak(const std::string& line, std::size_t columns, std::size_t& keep, std::size_t& skip)
{
    const std::size_t space = line.rfind(' ', columns);
    if (space != std::string::npos && space > 0) {
        keep = space;
        skip = 1;
        return;
    }
    const std::size_t slash = line.rfind('/', columns - 1);
    if (slash != std::string::npos && slash > 0) {
        keep = slash + 1;
        skip = 0;
        return;
    }
    keep = columns;
    while (keep > 1 && continuationByte(line[keep]))
        --keep;
    skip = 0;
}

}

std::string wrapText(const std::string& text, std::size_t columns)
{
    if (columns < 2)
        return text;
    std::string result;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        while (line.size() > columns) {
            std::size_t keep = 0;
            std::size_t skip = 0;
            findBreak(line, columns, keep, skip);
            result += line.substr(0, keep) + "\n";
            line.erase(0, keep + skip);
        }
        result += line;
        if (end < text.size())
            result += "\n";
        start = end + 1;
    }
    return result;
}
