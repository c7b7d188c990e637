// ImageFile: chooses an image codec by the file name's suffix (or by a format
// the caller names) and moves pictures between files and CImage.
//
// The suffix test is a case-sensitive ends-with on the whole path, tried in
// the order ".bmp", ".jpg", ".png", ".tga"; anything else (an upper-case
// ".PNG" included) is not an image file. Callers with their own rule for
// names (the packer lower-cases paths chosen by the user) pick the format
// themselves and use the explicit-format functions.
#pragma once

#include "image/CImage.h"
#include "image/CParallelDeflate.h"
#include "image/ImageWriteOptions.h"

#include <cstdio>
#include <string>

enum class ImageFileFormat { None, Bmp, Jpeg, Png, Tga, Webp };

// The format the path's suffix names, or None.
ImageFileFormat imageFileFormatOf(const char* path);

// Loads the file with the codec of `format` (width, height, bits per pixel,
// channels = bits per pixel / 8; name and file are left to the caller). On
// failure, None included, the image is unchanged and `error` (when given)
// says why.
bool loadImageFile(const char* path, ImageFileFormat format, CImage& image, std::string* error);
// Loads the file with the codec its suffix names.
bool loadImageFile(const char* path, CImage& image, std::string* error);

// Writes the image with the codec of `format`; JPEG files use `jpegQuality`
// (0..100). Only 1-byte components can be written.
bool saveImageFile(const char* path, ImageFileFormat format, const CImage& image, int jpegQuality,
                   std::string* error);
// Writes the image with the codec of `format` to an open stream, for callers
// that put the file in place themselves (see CSafeWriter). A PNG reports
// each compressed piece to `progress` (see CParallelDeflate); the other
// formats report nothing.
bool writeImageStream(std::FILE* file, ImageFileFormat format, const CImage& image, int jpegQuality,
                      std::string* error, const CParallelDeflate::Progress& progress = {});
// The same with every encoding choice: the PNG and WebP compression, the
// JPEG quality and the WebP quality (ImageWriteOptions.h).
bool writeImageStream(std::FILE* file, ImageFileFormat format, const CImage& image, const ImageWriteOptions& options,
                      std::string* error, const CParallelDeflate::Progress& progress = {});
// Writes the image with the codec its suffix names.
bool saveImageFile(const char* path, const CImage& image, int jpegQuality, std::string* error);
