// Fuzz target of the MP3 stream: any bytes are probed, opened and decoded to the end in two
// output formats (the file's own and a converted one), then once more after a rewind and with
// the loop on, so that rate conversion, looping and reservoir handling all meet the damage.
#include "kx/kx_snd/kx_snd_mp3.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KX_SND_MP3_INFO info;
    if (!kx_snd_mp3_probe(data, size, &info)) return 0;
    static uint8_t out[16384];
    // Own format, no loop: to the end of the data.
    KX_SND_MP3 *s = kx_snd_mp3_open(data, size, 0, info.rate, 16, info.channels);
    if (s) {
        while (kx_snd_mp3_read(s, out, sizeof out) == static_cast<int>(sizeof out)) {
        }
        kx_snd_mp3_close(s);
    }
    // Converted, looping: a bounded amount, with a rewind in the middle.
    s = kx_snd_mp3_open(data, size, 1, 22050, 8, 1);
    if (s) {
        kx_snd_mp3_set_volume(s, 70);
        kx_snd_mp3_set_pan(s, -30);
        for (int i = 0; i < 8; i++) {
            kx_snd_mp3_read(s, out, 701);
            if (i == 3) kx_snd_mp3_rewind(s);
        }
        kx_snd_mp3_close(s);
    }
    return 0;
}
