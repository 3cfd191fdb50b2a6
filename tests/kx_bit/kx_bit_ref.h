// Reference encoders and decoders (libpng, libjpeg) for the image reader tests and benchmarks:
// they make the files our readers are checked on and give the pixels those must match.
#pragma once

#include <cstdint>
#include <vector>

namespace kxref {

using bytes = std::vector<uint8_t>;

// A picture with smooth gradients, edges and some noise; `channels` bytes per pixel.
bytes make_pixels(int width, int height, int channels, uint32_t seed);

struct png_options {
    int color_type = 2;     // PNG colour type
    int bit_depth = 8;
    int interlace = 0;      // 0 none, 1 Adam7
    int filters = -1;       // libpng filter mask; -1 lets libpng choose per row
    int palette_size = 0;   // colours written to PLTE for type 3 (0: no PLTE chunk)
    int compression = 6;
};

// `rows` holds packed rows as the PNG format lays them out (height x row bytes).
bytes png_write(int width, int height, const bytes &rows, const png_options &o);
// Decodes to packed rows exactly as stored (no transformations); false when libpng refuses.
bool png_read(const bytes &file, int *width, int *height, bytes *rows);

struct jpeg_options {
    int quality = 90;
    int components = 3;     // 1 gray, 3 YCbCr
    int h[3] = {2, 1, 1};   // sampling factors
    int v[3] = {2, 1, 1};
    int restart_rows = 0;   // restart interval in MCU rows (0: none)
    bool progressive = false;
    bool optimize = false;
    bool component_scans = false;   // one sequential scan per component instead of one for all
};

// rgb: width x height x components bytes.
bytes jpeg_write(int width, int height, const bytes &pixels, const jpeg_options &o);
// Decodes to RGB (gray pictures as three equal channels), default libjpeg settings.
bool jpeg_read(const bytes &file, int *width, int *height, bytes *rgb);

}  // namespace kxref
