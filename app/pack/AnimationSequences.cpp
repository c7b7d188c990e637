// Animation sequences: names split at the trailing number and grouped.
#include "app/pack/AnimationSequences.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr std::size_t maxDigits = 9; // every number fits an int32

// Splits `name` into its sequence name and trailing number; false when it
// has no usable trailing number.
bool splitName(const std::string& name, std::string& base, std::int32_t& number)
{
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    const std::size_t count = name.size() - digits;
    if (count == 0 || count > maxDigits)
        return false;
    std::size_t end = digits;
    if (end > 0 && (name[end - 1] == '_' || name[end - 1] == '-' || name[end - 1] == '.' || name[end - 1] == ' '))
        --end;
    if (end == 0 || name[0] == ' ' || name[0] == '\t' || name[end - 1] == ' ' || name[end - 1] == '\t')
        return false;
    base = name.substr(0, end);
    number = std::stoi(name.substr(digits));
    return true;
}

}

std::vector<AnimationSequence> findAnimations(const std::vector<std::string>& frameNames)
{
    std::unordered_set<std::string> whole(frameNames.begin(), frameNames.end());
    std::unordered_map<std::string, std::size_t> sequenceOf;
    std::vector<AnimationSequence> found;
    for (std::size_t i = 0; i < frameNames.size(); ++i) {
        std::string base;
        std::int32_t number = 0;
        if (!splitName(frameNames[i], base, number) || whole.count(base) != 0)
            continue;
        const auto [it, added] = sequenceOf.emplace(base, found.size());
        if (added)
            found.push_back(AnimationSequence{base, {}, {}});
        AnimationSequence& sequence = found[it->second];
        sequence.frames.push_back(i);
        sequence.numbers.push_back(number);
    }
    std::vector<AnimationSequence> sequences;
    for (AnimationSequence& sequence : found) {
        if (sequence.frames.size() < 2)
            continue;
        std::vector<std::size_t> order(sequence.frames.size());
        for (std::size_t k = 0; k < order.size(); ++k)
            order[k] = k;
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return sequence.numbers[a] < sequence.numbers[b]; });
        AnimationSequence sorted{sequence.name, {}, {}};
        bool repeated = false;
        for (std::size_t k = 0; k < order.size(); ++k) {
            if (k > 0 && sequence.numbers[order[k]] == sorted.numbers.back())
                repeated = true;
            sorted.frames.push_back(sequence.frames[order[k]]);
            sorted.numbers.push_back(sequence.numbers[order[k]]);
        }
        if (!repeated)
            sequences.push_back(std::move(sorted));
    }
    return sequences;
}
