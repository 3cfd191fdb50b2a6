// veltramondo-tool image: decodes a picture file with the engine's own readers and writes it as
// a binary PAM (RGB_ALPHA), so the readers can be checked against other decoders.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_bit/kx_bit.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool has_reader(std::string name)
{
    for (char &c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    for (const char *ext : {".PCX", ".PCC", ".PNG", ".TGA", ".JPG", ".JPE"})
        if (name.find(ext) != std::string::npos) return true;
    return false;
}

// Exit status: 0 decoded, 1 refused (one line on stderr), 2 loaded in a depth that does not
// convert to 32 bits.
int vtool_image(const std::vector<std::string> &args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: veltramondo-tool image IN OUT.pam\n");
        return 1;
    }
    const char *in = args[0].c_str();
    if (!has_reader(args[0])) {
        std::fprintf(stderr, "veltramondo-tool: %s: no reader for this name (.png, .jpg, .tga, .pcx)\n", in);
        return 1;
    }
    std::FILE *probe = std::fopen(in, "rb");
    if (!probe) {
        std::fprintf(stderr, "veltramondo-tool: %s: cannot open the file\n", in);
        return 1;
    }
    std::fclose(probe);
    if (!vtool_engine_start(nullptr)) return 1;
    int32_t bit_settings = 0;
    kx_bit_init(&bit_settings);

    std::string before = kx_bit_message_get();
    KX_BITMAP b;
    int status = 0;
    if (!kx_bit_load(&b, in, KX_BIT_LOAD_PALETTE)) {
        std::string said = kx_bit_message_get();
        std::fprintf(stderr, "veltramondo-tool: %s: %s\n", in,
                     said != before && !said.empty() ? said.c_str() : "refused: not a picture this reader can decode");
        status = 1;
    } else if (!kx_bit_convert(&b, KX_BIT_BPP32)) {
        std::fprintf(stderr, "veltramondo-tool: %s: loaded at %d bits per pixel, which cannot be converted\n", in, b.depth);
        kx_bit_free(&b);
        status = 2;
    } else {
        std::FILE *out = std::fopen(args[1].c_str(), "wb");
        size_t bytes = size_t(b.width) * size_t(b.height) * 4;
        bool ok = out && std::fprintf(out, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                                      b.width, b.height) > 0 &&
                  std::fwrite(b.pixels, 1, bytes, out) == bytes;
        if (out && std::fclose(out) != 0) ok = false;
        if (!ok) {
            std::fprintf(stderr, "veltramondo-tool: %s: cannot write\n", args[1].c_str());
            status = 1;
        }
        kx_bit_free(&b);
    }
    kx_bit_deinit();
    vtool_engine_stop();
    return status;
}

}  // namespace

VTOOL_COMMAND("image", "image IN OUT.pam: decode a PNG, JPEG, TGA or PCX file to a PAM picture", vtool_image);
