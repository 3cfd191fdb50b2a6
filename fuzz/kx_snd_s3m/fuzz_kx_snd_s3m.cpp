// Fuzz target of the S3M player: hostile headers, sample lengths and pattern data past the end of
// the file. Every module that loads is also scanned for its length and rendered for a moment in
// each interpolation quality, so the sequencer and the mixer meet the hostile data too.
#include "kx/kx_snd/kx_snd_s3m.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KX_SND_S3M_MODULE *module = kx_snd_s3m_load(data, size, nullptr);
    if (!module) return 0;
    kx_snd_s3m_length_get(module, 20, nullptr);
    kx_snd_s3m_start();
    static const uint8_t modes[3] = {KX_SND_S3M_MODE_STEREO | KX_SND_S3M_MODE_16BIT | KX_SND_S3M_QUALITY_LOW,
                                     KX_SND_S3M_QUALITY_MEDIUM,
                                     KX_SND_S3M_MODE_STEREO | KX_SND_S3M_QUALITY_HIGH};
    std::vector<uint8_t> out(2205 * 4);
    for (uint8_t mode : modes) {
        KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
        c.mix_rate = 22050;
        c.mode = mode;
        c.play_state = KX_SND_S3M_PLAY;
        kx_snd_s3m_control_set(&c);
        kx_snd_s3m_render(out.data(), out.size());
    }
    kx_snd_s3m_free(module);
    return 0;
}
