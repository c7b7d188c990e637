// JPEG codec over libjpeg. The library reports fatal errors through its error
// manager's error_exit, which must not return; ours jumps back with longjmp to
// the function that started the library work, which then destroys the codec
// object. NOTE: longjmp skips C++ destructors, so every function that calls
// setjmp keeps only plain data in its own frame; pixel blocks and messages
// live in the caller's frame and are reached through pointers.

#include "image/JpegCodec.h"

#include "core/CSafeWriter.h"
#include "core/FileBytes.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// Progressive files with more scans than this are refused: each scan makes the
// library revisit the whole picture, so a small file could keep it busy for
// minutes.
constexpr int maxScans = 1000;

struct JpegErrorManager {
    jpeg_error_mgr base;  // first, so the library's pointer to it is ours too
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onFatalError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings are counted by the library and otherwise ignored; nothing is printed.
void onOutputMessage(j_common_ptr) {}

// Messages and warnings: a file that ends before its picture does is only a
// warning to the library, which fills the rest with grey; we refuse it.
void onEmitMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;  // trace messages
    if (info->err->msg_code == JWRN_JPEG_EOF) {
        auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
        (*info->err->format_message)(info, manager->message);
        std::longjmp(manager->jump, 1);
    }
    ++info->err->num_warnings;
}

// CMYK samples to RGB in place (4 bytes in, 3 out, front to back). Files with
// an Adobe marker store the inks inverted (255 = no ink), as Adobe's programs
// write them; others store them plainly.
void cmykToRgb(std::uint8_t* row, std::size_t width, bool inverted)
{
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint8_t* in = row + x * 4;
        int cyan = in[0], magenta = in[1], yellow = in[2], black = in[3];
        if (!inverted) {
            cyan = 255 - cyan;
            magenta = 255 - magenta;
            yellow = 255 - yellow;
            black = 255 - black;
        }
        // Now each value is 255 minus the ink: R = (1 - C)(1 - K).
        std::uint8_t* out = row + x * 3;
        out[0] = std::uint8_t((cyan * black + 127) / 255);
        out[1] = std::uint8_t((magenta * black + 127) / 255);
        out[2] = std::uint8_t((yellow * black + 127) / 255);
    }
}

void onProgress(j_common_ptr info)
{
    if (!info->is_decompressor)
        return;
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > maxScans) {
        auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
        std::snprintf(manager->message, sizeof manager->message, "more than %d scans", maxScans);
        std::longjmp(manager->jump, 1);
    }
}

jpeg_error_mgr* setupErrors(JpegErrorManager& manager)
{
    jpeg_std_error(&manager.base);
    manager.base.error_exit = onFatalError;
    manager.base.output_message = onOutputMessage;
    manager.base.emit_message = onEmitMessage;
    manager.message[0] = '\0';
    return &manager.base;
}

// Where the compressed data comes from: a memory block or an open file.
struct JpegInput {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    std::FILE* file = nullptr;
};

// Reads the header and, unless headerOnly, the whole picture into image.
// Sets image->width, height and bitsPerPixel in either case; on failure sets
// image->error and leaves image->pixels null.
bool decompress(const JpegInput& input, bool headerOnly, std::uint64_t pixelLimit, DecodedImage* image,
                std::vector<std::uint8_t>* inkRow)
{
    jpeg_decompress_struct info{};
    JpegErrorManager errors;
    jpeg_progress_mgr progress{};
    info.err = setupErrors(errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        image->pixels.reset();
        image->error = std::string("JPEG: ") + errors.message;
        return false;
    }
    jpeg_create_decompress(&info);
    progress.progress_monitor = onProgress;
    info.progress = &progress;
    if (input.file != nullptr)
        jpeg_stdio_src(&info, input.file);
    else
        jpeg_mem_src(&info, input.bytes, static_cast<unsigned long>(input.length));

    jpeg_read_header(&info, TRUE);
    bool accepted = checkImageSize(info.image_width, info.image_height, "JPEG", &image->error);
    const bool inks = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
        info.jpeg_color_space != JCS_RGB && !inks) {
        image->error = "JPEG: colour space " + std::to_string(int(info.jpeg_color_space)) + " with " +
                       std::to_string(info.num_components) + " components is not supported";
        accepted = false;
    } else if (accepted && std::uint64_t(info.image_width) * info.image_height > pixelLimit) {
        image->error = "JPEG: picture exceeds the pixel limit";
        accepted = false;
    }
    if (!accepted) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    image->width = info.image_width;
    image->height = info.image_height;
    image->bitsPerPixel = info.jpeg_color_space == JCS_GRAYSCALE ? 8 : 24;  // CMYK becomes RGB
    if (headerOnly) {
        jpeg_destroy_decompress(&info);
        return true;
    }

    info.dct_method = JDCT_FLOAT;
    if (inks)
        info.out_color_space = JCS_CMYK;  // the library turns YCCK into CMYK
    jpeg_start_decompress(&info);
    const std::size_t rowSize = std::size_t(info.output_width) * (inks ? 3 : info.output_components);
    image->pixels.reset(new std::uint8_t[rowSize * info.output_height]);
    // CMYK rows are decoded into a spare row and converted into place.
    if (inks)
        inkRow->resize(std::size_t(info.output_width) * 4);
    while (info.output_scanline < info.output_height) {
        // Scanline s from the top is row height - 1 - s of the bottom-up block.
        std::uint8_t* target = image->pixels.get() + rowSize * (info.output_height - 1 - info.output_scanline);
        JSAMPROW row = inks ? inkRow->data() : target;
        jpeg_read_scanlines(&info, &row, 1);
        if (inks) {
            cmykToRgb(row, info.output_width, info.saw_Adobe_marker);
            std::memcpy(target, row, rowSize);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool decodeFile(const char* path, bool headerOnly, DecodedImage* image)
{
    std::FILE* file = openRegularFile(path).release();
    if (file == nullptr) {
        image->error = std::string("JPEG: cannot open ") + (path ? path : "(null)");
        return false;
    }
    JpegInput input;
    input.file = file;
    std::vector<std::uint8_t> inkRow;
    const bool ok = decompress(input, headerOnly, maxImagePixels, image, &inkRow);
    std::fclose(file);
    return ok;
}

// Compresses the picture into file. row is a buffer of one row, so that the
// caller's pixels are only read. On failure message holds the library's text.
bool compress(std::FILE* file, std::uint32_t width, std::uint32_t height, int components, const std::uint8_t* pixels,
              int quality, std::uint8_t* row, char* message)
{
    jpeg_compress_struct info{};
    JpegErrorManager errors;
    info.err = setupErrors(errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::memcpy(message, errors.message, JMSG_LENGTH_MAX);
        return false;
    }
    jpeg_create_compress(&info);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_stdio_dest(&info, file);
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // At the highest quality colour keeps its full resolution (4:4:4): the
    // library's default halves it both ways, which blurs hard, colourful
    // sprite edges far more than the quantisation does.
    if (quality >= 100) {
        for (int i = 0; i < info.num_components; ++i) {
            info.comp_info[i].h_samp_factor = 1;
            info.comp_info[i].v_samp_factor = 1;
        }
    }
    info.dct_method = JDCT_FLOAT;
    info.optimize_coding = TRUE;

    jpeg_start_compress(&info, TRUE);
    const std::size_t rowSize = std::size_t(width) * components;
    while (info.next_scanline < info.image_height) {
        std::memcpy(row, pixels + rowSize * (height - 1 - info.next_scanline), rowSize);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool fail(std::string* error, std::string message)
{
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

}  // namespace

DecodedImage decodeJpegImage(const std::uint8_t* bytes, std::size_t length, std::uint64_t pixelLimit)
{
    DecodedImage image;
    if (bytes == nullptr || length == 0)
        return DecodedImage::failure("JPEG: file is empty");
    JpegInput input;
    input.bytes = bytes;
    input.length = length;
    std::vector<std::uint8_t> inkRow;
    decompress(input, false, pixelLimit, &image, &inkRow);
    return image;
}

DecodedImage readJpegFile(const char* path)
{
    DecodedImage image;
    decodeFile(path, false, &image);
    return image;
}

std::unique_ptr<std::uint8_t[]> loadJpeg(const char* path)
{
    return readJpegFile(path).pixels;
}

int queryJpegWidth(const char* path)
{
    DecodedImage header;
    return decodeFile(path, true, &header) ? int(header.width) : -1;
}

int queryJpegHeight(const char* path)
{
    DecodedImage header;
    return decodeFile(path, true, &header) ? int(header.height) : -1;
}

int queryJpegBitsPerPixel(const char* path)
{
    DecodedImage header;
    return decodeFile(path, true, &header) ? int(header.bitsPerPixel) : -1;
}

namespace {

bool checkJpegPixels(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                     const std::uint8_t* pixels, std::string* error)
{
    if (bitsPerPixel != 8 && bitsPerPixel != 24)
        return fail(error, "JPEG: " + std::to_string(bitsPerPixel) + " bits per pixel cannot be written");
    if (pixels == nullptr)
        return fail(error, "JPEG: no pixels to write");
    return checkImageSize(width, height, "JPEG", error);
}

}  // namespace

bool writeJpegStream(std::FILE* file, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                     const std::uint8_t* pixels, int quality, std::string* error)
{
    if (!checkJpegPixels(width, height, bitsPerPixel, pixels, error))
        return false;
    const int components = int(bitsPerPixel / 8);
    std::vector<std::uint8_t> row(std::size_t(width) * components);
    char message[JMSG_LENGTH_MAX] = {};
    if (!compress(file, width, height, components, pixels, std::clamp(quality, 0, 100), row.data(), message))
        return fail(error, std::string("JPEG: ") + message);
    return std::ferror(file) == 0 || fail(error, "JPEG: writing the file failed");
}

bool writeJpegFile(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                   const std::uint8_t* pixels, int quality, std::string* error)
{
    if (!checkJpegPixels(width, height, bitsPerPixel, pixels, error))
        return false;
    if (path == nullptr)
        return fail(error, "JPEG: cannot open (null) for writing");
    std::string reason;
    const auto produce = [&](std::FILE* file) {
        return writeJpegStream(file, width, height, bitsPerPixel, pixels, quality, &reason);
    };
    if (CSafeWriter::writeFile(path, produce, &reason))
        return true;
    return fail(error, reason.rfind("JPEG: ", 0) == 0 ? reason : "JPEG: " + reason);
}

void saveJpeg(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
              const std::uint8_t* pixels, int quality)
{
    writeJpegFile(path, width, height, bitsPerPixel, pixels, quality, nullptr);
}
