// CImageIndex: the window tool's images found by name or by file in constant
// time. The list row, the texture and the preview element of an image share
// its name; the managers that own them search linearly, which made adding
// and relayouting grow with the square of the image count. The index owns
// nothing: Application adds an image's texture and element here when it
// creates them and takes them out when it drops them.
#pragma once

#include "app/pack/SpriteMeta.h"
#include "core/String.h"

#include <optional>

#include <string>
#include <unordered_map>
#include <unordered_set>

class CGUI;
class CTexture;

class CImageIndex {
public:
    struct Entry {
        CTexture* texture = nullptr;
        CGUI* element = nullptr;
        std::string folder;                 // the folder input it was found in, "" for a file
        std::optional<NineSlice> nineSlice; // read from its nine-patch guides
    };

    // Records an image under its name and file (a name or file already
    // recorded is replaced).
    void add(const String& name, const std::string& file, CTexture* texture, CGUI* element);
    void add(const String& name, const std::string& file, const Entry& entry);
    void remove(const String& name);
    void clear();

    // The image of this name, or null.
    const Entry* find(const String& name) const;
    // The name of the image read from `file`, or null.
    const std::string* nameOfFile(const std::string& file) const;
    std::size_t size() const { return byName.size(); }

private:
    struct Stored {
        Entry entry;
        std::string file;
    };
    std::unordered_map<std::string, Stored> byName;
    std::unordered_map<std::string, std::string> nameByFile;
};
