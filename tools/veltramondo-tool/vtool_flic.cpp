// veltramondo-tool flic: decodes every frame of a FLIC animation (FLI or FLC) and writes each as
// a PAM picture, RGB from the palette current at that frame.
#include "tools/veltramondo-tool/vtool.h"

#include "kx/kx_font/kx_anim.h"

#include <cstdio>
#include <string>

namespace {

bool write_frame(const std::string &path, KX_ANIM &anim)
{
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fprintf(out, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n", anim.width, anim.height) > 0;
    const uint8_t *palette = anim_palette_rgb(&anim);
    for (uint32_t i = 0; ok && i < anim.frame_size; i++) ok = std::fwrite(palette + anim.pixels[i] * 3, 1, 3, out) == 3;
    return std::fclose(out) == 0 && ok;
}

int vtool_flic(const std::vector<std::string> &args)
{
    std::vector<std::string> files;
    const char *pack = nullptr;
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == "--pack" && i + 1 < args.size())
            pack = args[++i].c_str();
        else
            files.push_back(args[i]);
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: veltramondo-tool flic IN OUTPREFIX [--pack PACK]\n");
        return 2;
    }
    if (!vtool_engine_start(pack)) return 1;
    KX_ANIM anim;
    if (!anim_open(&anim, files[0].c_str(), 2)) {
        std::fprintf(stderr, "veltramondo-tool: %s: not a readable FLIC file\n", files[0].c_str());
        vtool_engine_stop();
        return 1;
    }
    int frames = anim.frame_count ? anim.frame_count : 1;
    int failed = 0;
    for (int f = 1; f <= frames && !failed; f++) {
        anim_frame_next(&anim, 1);
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "_%04d.pam", f);
        if (!write_frame(files[1] + suffix, anim)) {
            std::fprintf(stderr, "veltramondo-tool: cannot write %s%s\n", files[1].c_str(), suffix);
            failed = 1;
        }
    }
    std::printf("%s: %s %dx%d, %d frames, %u ms per frame%s\n", files[0].c_str(), anim.kind == KX_ANIM_FLI ? "FLI" : "FLC",
                anim.width, anim.height, frames, anim.frame_delay, anim.bad_chunks ? ", damaged chunks skipped" : "");
    anim_close(&anim);
    vtool_engine_stop();
    return failed;
}

} // namespace

VTOOL_COMMAND("flic", "flic IN OUTPREFIX [--pack PACK]: write every frame of a FLIC file as OUTPREFIX_NNNN.pam", vtool_flic);
