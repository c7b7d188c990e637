// StatusLine: the texts of the window tool's status line under the preview,
// as plain functions over numbers and names so they are tested without a
// window. Numbers are grouped by thousands with commas ("1,000") and sizes
// written "W × H".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace StatusLine {

// Many devices refuse textures with a side beyond this.
constexpr std::uint32_t deviceSideLimit = 4096;

std::string groupedNumber(std::uint64_t value);
// "2048 × 772 · 1,000 images · 87.0 % covered" (single spaces around the
// dots), with ", 3 pages" after the
// image count when more than one page is written and " · 3 animations"
// after that when the frame names hold animation sequences. The coverage is the
// images' pixels over the pages' pixels (`canvasPixels`; 0: one page of
// width x height), written with one decimal as the command line writes it.
// Empty without images.
std::string atlasSummary(std::uint32_t width, std::uint32_t height, std::uint32_t images, std::uint32_t pages,
                         std::uint64_t coveredPixels, std::uint64_t canvasPixels = 0, std::uint32_t animations = 0);
// "◀ Page 2 of 3 ▶" for page 1 (from 0) of three.
std::string pageControl(std::uint32_t page, std::uint32_t pages);
// Appended to the summary when a side passes deviceSideLimit.
std::string sideWarning(std::uint32_t width, std::uint32_t height);
bool exceedsDeviceLimit(std::uint32_t width, std::uint32_t height);
// "Saved atlas.png and atlas.xml: 2048 × 772, 1,000 images".
std::string saved(const std::string& imageName, const std::string& descriptionName, std::uint32_t width,
                  std::uint32_t height, std::uint32_t images);
// "2 images are larger than the largest side (1024 px)".
std::string tooLarge(std::size_t images, std::uint32_t largestSide);
// The same naming the images: "hero.png is larger than the largest side
// (1024 px)", "a.png, b.png and 3 more are ...".
std::string tooLarge(const std::vector<std::string>& names, std::uint32_t largestSide);
// "Saved 3 pages, atlas-1.png to atlas-3.png, each with its description: 1,000 images".
std::string savedPages(const std::string& firstName, const std::string& lastName, std::uint32_t pages,
                       std::uint32_t images);
// "Adding images: 1,234 of 10,000 read".
std::string adding(std::size_t done, std::size_t total);
// "Unpacked 36 frames into /path/to/folder".
std::string unpacked(std::size_t frames, const std::string& folder);
// "hero.png  64 × 48 at 128, 0", with ", turned" when the frame is stored
// turned (the size is then the stored rectangle's).
std::string imageAt(const std::string& name, std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y,
                    bool turned = false);

}
