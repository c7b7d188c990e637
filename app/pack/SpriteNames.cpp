// Sprite names: relative paths and the nine-patch ending.
#include "app/pack/SpriteNames.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/NinePatch.h"

std::string spriteNameUnder(const std::string& folder, const std::string& path, bool flatten)
{
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';
    if (flatten || prefix.empty() || path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
        return spriteName(fileNameOf(path));
    return spriteName(path.substr(prefix.size()));
}

std::string spriteName(const std::string& relativeName)
{
    if (!isNinePatchName(relativeName))
        return relativeName;
    // "button.9.png" -> "button.png": the ".9" sits before the last four
    // characters.
    const std::size_t cut = relativeName.size() - 6;
    return relativeName.substr(0, cut) + relativeName.substr(cut + 2);
}
