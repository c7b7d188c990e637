// CImageIndex: two hash maps kept in step.
#include "app/tool/CImageIndex.h"

namespace {

std::string key(const String& name)
{
    return name.c_str() != nullptr ? std::string(name.c_str(), name.length()) : std::string();
}

}

void CImageIndex::add(const String& name, const std::string& file, CTexture* texture, CGUI* element)
{
    Entry entry;
    entry.texture = texture;
    entry.element = element;
    add(name, file, entry);
}

void CImageIndex::add(const String& name, const std::string& file, const Entry& entry)
{
    remove(name);
    const std::string k = key(name);
    byName[k] = Stored{entry, file};
    nameByFile[file] = k;
}

void CImageIndex::remove(const String& name)
{
    const auto found = byName.find(key(name));
    if (found == byName.end())
        return;
    const auto file = nameByFile.find(found->second.file);
    if (file != nameByFile.end() && file->second == found->first)
        nameByFile.erase(file);
    byName.erase(found);
}

void CImageIndex::clear()
{
    byName.clear();
    nameByFile.clear();
}

const CImageIndex::Entry* CImageIndex::find(const String& name) const
{
    const auto found = byName.find(key(name));
    return found != byName.end() ? &found->second.entry : nullptr;
}

const std::string* CImageIndex::nameOfFile(const std::string& file) const
{
    const auto found = nameByFile.find(file);
    return found != nameByFile.end() ? &found->second : nullptr;
}
