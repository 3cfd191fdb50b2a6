// veltramondo-tool image: decodes a picture file with the engine's own readers and writes it as
// a binary PAM (RGB_ALPHA) or, for an OUT name ending in .ppm, a binary PPM (RGB), so the readers
// can be checked against other decoders. JPEG files go through the reader's band-by-band
// output straight to the file, so a large photograph is never held whole.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_bit/kx_bit.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Where decoded rows go: the picture file being written.
struct picture_out {
    std::FILE *file = nullptr;
    bool ppm = false;
    bool ok = true;
    std::vector<uint8_t> rgba;   // one band widened to RGB_ALPHA
};

bool ends_with_ppm(const std::string &name)
{
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char &c : tail) c = char(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".ppm";
}

bool write_header(picture_out &o, int width, int height)
{
    return o.ppm ? std::fprintf(o.file, "P6\n%d %d\n255\n", width, height) > 0
                 : std::fprintf(o.file, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", width,
                                height) > 0;
}

// Writes `pixels` RGB pixels (3 bytes each) as the file's kind wants them.
bool write_rgb(picture_out &o, const uint8_t *rgb, size_t pixels)
{
    if (o.ppm) return std::fwrite(rgb, 3, pixels, o.file) == pixels;
    o.rgba.resize(pixels * 4);
    for (size_t i = 0; i < pixels; i++) {
        std::memcpy(&o.rgba[4 * i], rgb + 3 * i, 3);
        o.rgba[4 * i + 3] = 255;
    }
    return std::fwrite(o.rgba.data(), 4, pixels, o.file) == pixels;
}

int write_band(void *user, int width, int height, int y, int count, const uint8_t *rgb)
{
    picture_out &o = *static_cast<picture_out *>(user);
    if (y == 0) o.ok = write_header(o, width, height);
    if (o.ok) o.ok = write_rgb(o, rgb, size_t(width) * size_t(count));
    return o.ok;
}

// A loaded picture of any depth, written whole.
int write_bitmap(picture_out &o, KX_BITMAP &b, const char *in)
{
    if (!kx_bit_convert(&b, o.ppm ? KX_BIT_BPP24 : KX_BIT_BPP32)) {
        std::fprintf(stderr, "veltramondo-tool: %s: loaded at %d bits per pixel, which cannot be converted\n", in, b.depth);
        return 2;
    }
    size_t bytes = size_t(b.width) * size_t(b.height) * (o.ppm ? 3 : 4);
    o.ok = write_header(o, b.width, b.height) && std::fwrite(b.pixels, 1, bytes, o.file) == bytes;
    return 0;
}

// Exit status: 0 decoded, 1 refused (one line on stderr), 2 loaded in a depth that does not
// convert to 32 bits.
int vtool_image(const std::vector<std::string> &args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: veltramondo-tool image IN OUT.pam|OUT.ppm\n");
        return 1;
    }
    const char *in = args[0].c_str();
    KX_BIT_READER reader = kx_bit_reader_of(in);
    if (reader == KX_BIT_READER_NONE) {
        std::fprintf(stderr, "veltramondo-tool: %s: no reader for this name (.png, .jpg, .tga, .pcx)\n", in);
        return 1;
    }
    VTOOL_BYTES jpeg;
    if (reader == KX_BIT_READER_JPEG ? !vtool_disk_read(args[0], jpeg) : !vtool_disk_exists(args[0])) {
        std::fprintf(stderr, "veltramondo-tool: %s: cannot open the file\n", in);
        return 1;
    }
    if (!vtool_engine_start(nullptr)) return 1;
    int32_t bit_settings = 0;
    kx_bit_init(&bit_settings);

    picture_out o;
    o.ppm = ends_with_ppm(args[1]);
    o.file = std::fopen(args[1].c_str(), "wb");
    int status = 0;
    std::string before = kx_bit_message_get();
    if (!o.file) {
        o.ok = false;
    } else if (reader == KX_BIT_READER_JPEG) {
        if (!kx_bit_decode_jpeg_rows(jpeg.data, jpeg.size, write_band, &o) && o.ok) status = 1;
    } else {
        KX_BITMAP b;
        if (!kx_bit_load(&b, in, KX_BIT_LOAD_PALETTE)) {
            status = 1;
        } else {
            status = write_bitmap(o, b, in);
            kx_bit_free(&b);
        }
    }
    if (status == 1) {
        std::string said = kx_bit_message_get();
        std::fprintf(stderr, "veltramondo-tool: %s: %s\n", in,
                     said != before && !said.empty() ? said.c_str() : "refused: not a picture this reader can decode");
    }
    if (o.file && std::fclose(o.file) != 0) o.ok = false;
    if (!o.ok) {
        std::fprintf(stderr, "veltramondo-tool: %s: cannot write\n", args[1].c_str());
        if (!status) status = 1;
    }
    if (status && o.file) std::remove(args[1].c_str());
    kx_bit_deinit();
    vtool_engine_stop();
    return status;
}

}  // namespace

VTOOL_COMMAND("image", "image IN OUT.pam|OUT.ppm: decode a PNG, JPEG, TGA or PCX file to a PAM (RGB with alpha) or PPM picture",
              vtool_image);
