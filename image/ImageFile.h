// ImageFile: chooses an image codec by the file name's suffix and moves
// pictures between files and CImage.
//
// The suffix test is a case-sensitive ends-with on the whole path, tried in
// the order ".bmp", ".jpg", ".png", ".tga"; anything else (an upper-case
// ".PNG" included) is not an image file.
#pragma once

#include "image/CImage.h"

#include <string>

enum class ImageFileFormat { None, Bmp, Jpeg, Png, Tga };

// The format the path's suffix names, or None.
ImageFileFormat imageFileFormatOf(const char* path);

// Loads the file into `image` (width, height, bits per pixel, channels =
// bits per pixel / 8; name and file are left to the caller). On failure the
// image is unchanged and `error` (when given) says why.
bool loadImageFile(const char* path, CImage& image, std::string* error);

// Writes the image with the codec its suffix names; JPEG files use
// `jpegQuality` (0..100). Only 1-byte components can be written.
bool saveImageFile(const char* path, const CImage& image, int jpegQuality, std::string* error);
