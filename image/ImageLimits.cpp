#include "image/ImageLimits.h"

bool checkImageSize(std::uint32_t width, std::uint32_t height, const char* codec, std::string* error)
{
    const char* problem = nullptr;
    if (width == 0 || height == 0)
        problem = "is empty";
    else if (width > maxImageSide || height > maxImageSide)
        problem = "exceeds the largest side of 16384 pixels";
    else if (std::uint64_t(width) * height > maxImagePixels)
        problem = "exceeds the largest pixel count";
    if (problem == nullptr)
        return true;
    if (error != nullptr)
        *error = std::string(codec) + ": image size " + std::to_string(width) + "x" + std::to_string(height) + " " + problem;
    return false;
}
