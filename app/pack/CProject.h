// CProject: a pack kept as a file (.qfproj) that the window tool and the
// command line both read and write: the inputs in the user's order, every
// PackSettings choice and the outputs.
//
// The file is XML through the engine's own reader and writer, one element per
// group of settings so that a change shows as a small diff:
//
//   <quiltforgerProject version="1">
//       <inputs recursive="0" flatten="0" sort="natural">
//           <input path="sprites" />
//       </inputs>
//       <layout mode="auto" alignment="edge" spacing="0" tight="1" ... />
//       <sprites trim="0" alias="0" extrude="0" ... />
//       <variants> <variant factor="2" suffix="@2x" /> </variants>
//       <sprite name="hero" pivotX="0.5" pivotY="1" />
//       <output atlas="out/atlas.png" formats="xml,json">
//           <frame image="b.png" />   (the descriptions' order, when set)
//       </output>
//   </quiltforgerProject>
//
// Paths are stored relative to the project file's folder (with "/") and
// resolved against it on load, so a project moves with its folder. A missing
// attribute or group takes PackSettings' default. Elements and attributes
// this version does not know (from a newer one) are kept as they were read
// and written back on save (element text, which the format does not use,
// is not kept). A damaged or hostile file (not XML, a value that
// does not parse or is out of range, an unknown choice) is refused with the
// file, the element and the reason, and the project is then left as it was.
//
// It does not read images or folders, pack, or check that inputs exist: the
// front ends do that as they do for inputs given any other way.
#pragma once

#include "app/pack/PackSettings.h"
#include "xml/CXMLNode.h"

#include <cstdint>
#include <string>

class CXMLDocument;

class CProject {
public:
    // The version this build writes; files of later versions are read as far
    // as they are understood.
    static constexpr std::uint32_t version = 1;
    // The file ending front ends offer.
    static constexpr const char* ending = ".qfproj";

    // The settings, with paths as the front ends use them (resolved against
    // the project's folder after a load).
    PackSettings settings;

    // Reads the file at `path`; relative paths in it are taken from its
    // folder. False with the reason in `error`; the project is then unchanged.
    bool load(const std::string& path, std::string& error);
    // The same for a text; `folder` resolves relative paths ("" keeps them
    // as written) and `name` names the source in messages.
    bool parse(const std::string& text, const std::string& folder, const std::string& name, std::string& error);

    // The file's text with paths made relative to `folder` where they lie
    // below or beside it ("" writes them as they are).
    std::string text(const std::string& folder) const;
    // Writes text(folder of path) to `path` through CSafeWriter. False with
    // the reason; an existing file is then left as it was.
    bool save(const std::string& path, std::string& error) const;

private:
    bool adopt(const CXMLDocument& document, const std::string& folder, const std::string& name, std::string& error);

    // The file as last read: what this version does not know is taken from
    // it on save.
    CXMLNode read_;
};
