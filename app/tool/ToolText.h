// ToolText: the names and texts the window tool shows, as plain functions so
// they are tested without a window: the name of a single chosen file, the
// spacing's label, the report after adding images, and the scale variants as
// the options panel shows them.
#pragma once

#include "app/pack/PackSettings.h"

#include <cstdint>
#include <string>
#include <vector>

// A single chosen file's name: the text after the last "\" or "/" (so
// "/hero.png" is "hero.png"); the whole path when that would be empty.
std::string singleFileName(const std::string& path);

// The whole-pixel spacing of a scroll value: truncated toward zero, values
// below 0 count as 0. The label shows the same number.
std::uint32_t wholeSpacing(float value);
std::string spacingLabel(std::uint32_t spacing);

// Why one image was not added because it is in the list already. Each path
// is named once: the same file again, or another file under a name in use.
std::string alreadyInListProblem(const std::string& path, const std::string& name, const std::string& existingFile);

// What adding files reports: `passedOver` are the names already in the list
// (said in one line, a few of them named), `problems` one line per other
// file that was not added (the first dozen shown). Empty when both are.
// Why a folder added nothing: "/art holds no .bmp, .jpg, .jpeg, .png, .tga or
// .webp files of its own; its 3 sub-folders are not searched (tick Include
// subfolders, or add them)".
std::string emptyFolderProblem(const std::string& folder, std::size_t subfolders);
std::string addReport(const std::vector<std::string>& passedOver, const std::vector<std::string>& problems);

// The scale variants as one line: "2 @2x, 1, 0.5 @half". Each item is a
// factor, then its suffix when it is not the one the factor gets by
// default (OptionValues.h); an empty suffix where another is the default is
// written "". No variants: "".
std::string scaleListText(const std::vector<ScaleVariant>& variants);
// Reads that line back: items between commas, each a factor (as --scale
// takes it) and optionally, after spaces, its suffix. Blank text is no
// variants. "" or why it is refused (the variants are then left empty).
std::string parseScaleList(const std::string& text, std::vector<ScaleVariant>& variants);
