// Reference encoders and decoders built on libpng and libjpeg (test and benchmark use only).
#include "tests/kx_bit/kx_bit_ref.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace kxref {

bytes make_pixels(int width, int height, int channels, uint32_t seed)
{
    bytes out(size_t(width) * size_t(height) * size_t(channels));
    uint32_t s = seed * 2654435761u + 1;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            for (int c = 0; c < channels; c++) {
                s = s * 1103515245u + 12345u;
                int v = (x * (c + 1) * 255 / (width > 1 ? width - 1 : 1) + y * (3 - c) * 255 / (height > 1 ? height : 1)) / 2;
                if (((x / 13) + (y / 11)) % 5 == 0) v = 255 - v;   // hard edges
                v += int((s >> 16) % 9) - 4;                        // a little noise
                out[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    return out;
}

// Row pointers into packed rows of `row` bytes.
static std::vector<png_bytep> row_pointers(const bytes &rows, size_t row, int height)
{
    std::vector<png_bytep> ptrs(static_cast<size_t>(height));
    for (size_t y = 0; y < ptrs.size(); y++) ptrs[y] = const_cast<png_bytep>(rows.data() + y * row);
    return ptrs;
}

bytes png_write(int width, int height, const bytes &rows, const png_options &o)
{
    char *mem = nullptr;
    size_t size = 0;
    FILE *f = open_memstream(&mem, &size);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_color> pal;
    bool ok = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), o.bit_depth, o.color_type,
                     o.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        for (int i = 0; i < o.palette_size; i++) pal.push_back({png_byte(i * 7), png_byte(255 - i), png_byte(i * 3 + 1)});
        if (o.palette_size > 0) png_set_PLTE(png, info, pal.data(), o.palette_size);
        if (o.filters >= 0) png_set_filter(png, 0, o.filters);
        png_set_compression_level(png, o.compression);
        png_write_info(png, info);
        std::vector<png_bytep> ptrs = row_pointers(rows, png_get_rowbytes(png, info), height);
        png_write_image(png, ptrs.data());
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    bytes out = ok ? bytes(mem, mem + size) : bytes();
    std::free(mem);
    return out;
}

bool png_read(const bytes &file, int *width, int *height, bytes *rows)
{
    FILE *f = fmemopen(const_cast<uint8_t *>(file.data()), file.size(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool ok = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_read_info(png, info);
        *width = int(png_get_image_width(png, info));
        *height = int(png_get_image_height(png, info));
        if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) png_set_interlace_handling(png);
        png_read_update_info(png, info);
        size_t row = png_get_rowbytes(png, info);
        rows->assign(row * size_t(*height), 0);
        std::vector<png_bytep> ptrs = row_pointers(*rows, row, *height);
        png_read_image(png, ptrs.data());
        png_read_end(png, nullptr);
        ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return ok;
}

struct jpeg_error {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

static jpeg_error_mgr *quiet_errors(jpeg_error *err)
{
    jpeg_std_error(&err->mgr);
    err->mgr.error_exit = [](j_common_ptr c) { longjmp(reinterpret_cast<jpeg_error *>(c->err)->jump, 1); };
    err->mgr.emit_message = [](j_common_ptr, int) {};
    return &err->mgr;
}

bytes jpeg_write(int width, int height, const bytes &pixels, const jpeg_options &o)
{
    jpeg_compress_struct c;
    jpeg_error err;
    c.err = quiet_errors(&err);
    unsigned char *mem = nullptr;
    unsigned long size = 0;
    bool ok = false;
    jpeg_create_compress(&c);
    if (!setjmp(err.jump)) {
        jpeg_mem_dest(&c, &mem, &size);
        c.image_width = JDIMENSION(width);
        c.image_height = JDIMENSION(height);
        c.input_components = o.components;
        c.in_color_space = o.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, o.quality, TRUE);
        for (int i = 0; i < o.components; i++) {
            c.comp_info[i].h_samp_factor = o.components == 1 ? 1 : o.h[i];
            c.comp_info[i].v_samp_factor = o.components == 1 ? 1 : o.v[i];
        }
        c.restart_in_rows = o.restart_rows;
        c.optimize_coding = o.optimize ? TRUE : FALSE;
        if (o.progressive) jpeg_simple_progression(&c);
        jpeg_scan_info scans[3];
        if (o.component_scans) {
            for (int i = 0; i < o.components; i++) scans[i] = {1, {i, 0, 0, 0}, 0, 63, 0, 0};
            c.scan_info = scans;
            c.num_scans = o.components;
        }
        jpeg_start_compress(&c, TRUE);
        while (c.next_scanline < c.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + c.next_scanline * size_t(width) * size_t(o.components));
            jpeg_write_scanlines(&c, &row, 1);
        }
        jpeg_finish_compress(&c);
        ok = true;
    }
    jpeg_destroy_compress(&c);
    bytes out = ok ? bytes(mem, mem + size) : bytes();
    std::free(mem);
    return out;
}

bool jpeg_read(const bytes &file, int *width, int *height, bytes *rgb)
{
    jpeg_decompress_struct d;
    jpeg_error err;
    d.err = quiet_errors(&err);
    bool ok = false;
    jpeg_create_decompress(&d);
    if (!setjmp(err.jump)) {
        jpeg_mem_src(&d, file.data(), static_cast<unsigned long>(file.size()));
        jpeg_read_header(&d, TRUE);
        d.out_color_space = JCS_RGB;
        jpeg_start_decompress(&d);
        *width = int(d.output_width);
        *height = int(d.output_height);
        rgb->assign(size_t(*width) * size_t(*height) * 3, 0);
        while (d.output_scanline < d.output_height) {
            JSAMPROW row = rgb->data() + size_t(d.output_scanline) * size_t(*width) * 3;
            jpeg_read_scanlines(&d, &row, 1);
        }
        jpeg_finish_decompress(&d);
        ok = true;
    }
    jpeg_destroy_decompress(&d);
    return ok;
}

}  // namespace kxref
