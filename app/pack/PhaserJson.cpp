// The multi-atlas JSON: page entries joined under "textures".
#include "app/pack/PhaserJson.h"

#include "app/pack/AtlasJson.h"
#include "app/pack/AtlasText.h"

bool phaserTextureText(const AtlasPageInfo& page, const std::vector<AtlasFrame>& frames, std::string& text,
                       std::string* error)
{
    std::string out;
    out.reserve(frames.size() * 240 + 160);
    out += "{\"image\": ";
    if (!appendJsonString(out, page.fileName)) {
        if (error)
            *error = "the atlas name " + page.fileName + " is not UTF-8 text, which a JSON description cannot hold";
        return false;
    }
    out += page.opaque ? ", \"format\": \"RGB888\"" : ", \"format\": \"RGBA8888\"";
    out += ", \"size\": {\"w\": " + std::to_string(page.width) + ", \"h\": " + std::to_string(page.height) +
           "}, \"scale\": 1, \"frames\": [";
    for (std::size_t i = 0; i < frames.size(); ++i) {
        out += i == 0 ? "\n\t\t" : ",\n\t\t";
        if (!appendJsonFrame(out, frames[i], &frames[i].key)) {
            if (error)
                *error = "the image name " + frames[i].key + " is not UTF-8 text, which a JSON description cannot hold";
            return false;
        }
    }
    out += "]}";
    text = std::move(out);
    return true;
}

std::string phaserAtlasText(const std::vector<std::string>& textures, bool premultiplied)
{
    std::size_t size = 128;
    for (const std::string& texture : textures)
        size += texture.size() + 3;
    std::string out;
    out.reserve(size);
    out += "{\"textures\": [";
    for (std::size_t i = 0; i < textures.size(); ++i)
        out += (i == 0 ? "\n\t" : ",\n\t") + textures[i];
    out += "],\n\"meta\": {\"app\": \"Quilt Forger\", \"version\": \"" QF_VERSION "\"";
    out += premultiplied ? ", \"premultipliedAlpha\": true}\n}\n" : "}\n}\n";
    return out;
}
