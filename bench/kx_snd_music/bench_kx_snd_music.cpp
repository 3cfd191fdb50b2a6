// Cost of one refill of the music stream on the tick thread: the device plays a tenth of a second,
// then one refill renders that tenth and writes it into the stream; 10,000 refills per piece,
// median and worst. The peer, timed in the same run, is the piece rendering the same tenth
// straight into memory, without the stream. The S3M piece is the first argument (default: the
// longest module of the media folder); the MP3 is 20 seconds of tones encoded by lame.
//
//   bench_kx_snd_music [module.s3m]
#include "kx/kx_io/kx_io.h"
#include "kx/kx_snd/kx_snd.h"
#include "kx/kx_snd/kx_snd_mp3.h"
#include "kx/kx_snd/kx_snd_s3m.h"
#include "platform/plat_audio.h"
#include "platform/plat_core.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

constexpr int RATE = 44100;
constexpr int CHUNK_FRAMES = RATE / 10;
constexpr int REFILLS = 10000;

struct figures {
    double median, worst;
};

figures summary(std::vector<double> &us)
{
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us.back()};
}

double since(clock_type::time_point t0)
{
    return std::chrono::duration<double, std::micro>(clock_type::now() - t0).count();
}

int quiet_alert(const char *text, const char *title, unsigned)
{
    std::fprintf(stderr, "alert: %s: %s\n", title ? title : "", text ? text : "");
    return 1;
}

// 20 seconds of two slowly moving tones, 44.1 kHz stereo, as a lame MP3 in `dir`.
bool make_mp3(const fs::path &dir)
{
    std::vector<int16_t> pcm;
    for (int i = 0; i < RATE * 20; i++) {
        double t = static_cast<double>(i) / RATE;
        pcm.push_back(static_cast<int16_t>(7000 * std::sin(2 * M_PI * (220 + 20 * std::sin(t)) * t)));
        pcm.push_back(static_cast<int16_t>(7000 * std::sin(2 * M_PI * 330 * t)));
    }
    std::ofstream wav(dir / "tones.wav", std::ios::binary);
    auto put = [&wav](uint32_t v, int bytes) {
        for (int b = 0; b < bytes; b++) wav.put(static_cast<char>(v >> (8 * b)));
    };
    const uint32_t data = static_cast<uint32_t>(pcm.size() * 2);
    wav.write("RIFF", 4), put(36 + data, 4), wav.write("WAVEfmt ", 8), put(16, 4), put(1, 2), put(2, 2);
    put(RATE, 4), put(RATE * 4, 4), put(4, 2), put(16, 2), wav.write("data", 4), put(data, 4);
    wav.write(reinterpret_cast<const char *>(pcm.data()), data);
    wav.close();
    std::string cmd = std::string(VM_LAME) + " --quiet -b 192 " + (dir / "tones.wav").string() + " " + (dir / "snd" / "tones.mp3").string();
    return std::system(cmd.c_str()) == 0;
}

// Times 10,000 refills of one tenth each, then 10,000 direct renders of a tenth.
void measure(const char *label, const char *name, bool mp3)
{
    int n = kx_snd_load_music(name);
    if (!n || !kx_snd_play_music(n)) {
        std::printf("%-12s could not be played\n", label);
        return;
    }
    std::vector<int16_t> device(2 * CHUNK_FRAMES);
    std::vector<double> refill, own;
    for (int i = 0; i < REFILLS; i++) {
        plat_audio_render(device.data(), CHUNK_FRAMES);
        auto t0 = clock_type::now();
        kx_snd_update_music(n);
        refill.push_back(since(t0));
    }
    kx_snd_stop_music(n);
    kx_snd_unload_music(n);

    std::vector<uint8_t> out(static_cast<size_t>(4 * CHUNK_FRAMES));
    std::string disk = name;
    std::replace(disk.begin(), disk.end(), '\\', '/');
    std::ifstream in(disk, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    KX_SND_MP3 *stream = mp3 ? kx_snd_mp3_open(file.data(), file.size(), 1, RATE, 16, 2) : nullptr;
    KX_SND_S3M_MODULE *module = mp3 ? nullptr : kx_snd_s3m_load(file.data(), file.size(), nullptr);
    if (module) {
        kx_snd_s3m_start();
        KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
        c.mix_rate = RATE, c.master_volume = KX_SND_S3M_MASTER_MAX, c.play_state = KX_SND_S3M_PLAY;
        c.mode = static_cast<uint8_t>(kx_snd_mixer_mode());
        kx_snd_s3m_control_set(&c);
    }
    for (int i = 0; i < REFILLS; i++) {
        auto t0 = clock_type::now();
        if (stream) kx_snd_mp3_read(stream, out.data(), static_cast<int>(out.size()));
        else kx_snd_s3m_render(out.data(), out.size());
        own.push_back(since(t0));
    }
    kx_snd_mp3_close(stream);
    kx_snd_s3m_free(module);

    figures r = summary(refill), o = summary(own);
    std::printf("%-12s refill median %8.1f us  worst %8.1f us | own render median %8.1f us  worst %8.1f us | "
                "refill/own %.2f, refill/tick %.3f\n",
                label, r.median, r.worst, o.median, o.worst, r.median / o.median, r.median / 10000.0);
}

} // namespace

int main(int argc, char **argv)
{
    fs::path module = argc > 1 ? fs::path(argv[1]) : fs::path(VM_MEDIA_DIR) / "s3m" / "blah_blob.s3m";
    fs::path dir = fs::temp_directory_path() / ("vm_bench_music_" + std::to_string(::getpid()));
    fs::create_directories(dir / "snd");
    fs::copy_file(module, dir / "snd" / "piece.s3m", fs::copy_options::overwrite_existing);
    if (!make_mp3(dir)) {
        std::fprintf(stderr, "lame failed\n");
        return 1;
    }
    fs::current_path(dir);
    setenv("U3_APP_DATA_PATH", dir.c_str(), 1);
    plat_alert_capture(quiet_alert);
    KX_IO_SETTINGS io{0, 0, "", "bench.ini"};
    kx_io_init(&io);
    kx_io_app_folder_init("bench.ini", "Veltramondo");
    PLAT_AUDIO_TEST_DEVICE device{RATE, 2, 16, 2, nullptr, 0, PLAT_AUDIO_FAIL_NONE};
    plat_audio_test_device(&device);
    std::atomic<int32_t> audible{0};
    int32_t music_on = 1, effects_on = 1, music_volume = 75, effects_volume = 75, quality = 8;
    KX_SND_SETTINGS settings{0, &audible, &music_on, &effects_on, &music_volume, &effects_volume, &quality, 0, 0};
    if (!kx_snd_init(&settings)) return 1;

    std::printf("%d refills of %d frames (44.1 kHz 16-bit stereo) each; the tick is 10000 us\n", REFILLS, CHUNK_FRAMES);
    for (int q : {0, 4, 8}) {
        kx_snd_set_quality(q);
        measure(("S3M q" + std::to_string(q)).c_str(), "snd\\piece.s3m", false);
    }
    measure("MP3", "snd\\tones.mp3", true);

    kx_snd_done();
    kx_io_deinit();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
    return 0;
}
