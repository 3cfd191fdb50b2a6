// Music by name on the virtual device: loading by extension, the refusals of the operations, the
// quality change, switching music off and on, and the stream fed tick by tick through the device
// for 20 seconds against the piece's own render.
#include "tests/kx_snd/snd_test_util.h"
#include "tests/kx_snd_s3m/s3m_test_util.h"

#include "kx/kx_snd/kx_snd_local.h"
#include "kx/kx_snd/kx_snd_mp3.h"
#include "kx/kx_snd/kx_snd_s3m.h"

#include <cstdlib>
#include <functional>

using namespace snd_test;

namespace {

constexpr int RATE = 44100;
constexpr int TICK = RATE / 100;

// About 23 seconds in three orders: a melody on a looped tone, drum bursts, and in pattern 1 a
// rest of four rows (0.48 s) where the piece itself is silent.
std::string song()
{
    S3mSong s;
    s.orders = {0, 1, 0};
    s.samples = {s3m_tone(64, 1), s3m_burst(3000)};
    s.patterns.resize(2);
    for (int row = 0; row < 64; row += 2) {
        s.patterns[0].push_back({row, 0, 48 + (row / 2) % 12, 1, 40});
        s.patterns[1].push_back({row, 0, 55 - (row / 2) % 7, 1, 48});
        if (row % 8 == 0) s.patterns[0].push_back({row, 1, 48, 2, 64});
    }
    std::erase_if(s.patterns[1], [](const S3mEvent &e) { return e.row >= 30 && e.row < 34; });
    s.patterns[1].push_back({29, 0, 254});
    std::vector<uint8_t> bytes = s3m_build(s);
    return {bytes.begin(), bytes.end()};
}

// 1.3 seconds of a two-tone chord, encoded by lame; empty when lame is missing.
std::string mp3_file(const fs::path &dir)
{
    std::vector<int16_t> pcm;
    for (int i = 0; i < RATE * 13 / 10; i++) {
        auto v = static_cast<int16_t>(6000 * std::sin(2 * M_PI * 330 * i / RATE) + 4000 * std::sin(2 * M_PI * 495 * i / RATE));
        pcm.insert(pcm.end(), {v, v});
    }
    write_file(dir / "in.wav", wave(pcm16(pcm), {.channels = 2, .rate = RATE}));
    std::string cmd = "lame --quiet -b 160 " + (dir / "in.wav").string() + " " + (dir / "out.mp3").string() + " 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return {};
    std::ifstream in(dir / "out.mp3", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The piece's own output, without the stream: the S3M player started as a play starts it, or a
// looping MP3 stream.
std::vector<int16_t> own_render(const std::string &bytes, bool mp3, int seconds)
{
    std::vector<int16_t> out(static_cast<size_t>(2 * RATE * seconds));
    if (mp3) {
        KX_SND_MP3 *s = kx_snd_mp3_open(bytes.data(), bytes.size(), 1, RATE, 16, 2);
        kx_snd_mp3_read(s, out.data(), static_cast<int>(out.size() * 2));
        kx_snd_mp3_close(s);
        return out;
    }
    KX_SND_S3M_MODULE *m = kx_snd_s3m_load(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), nullptr);
    s3m_play(KX_SND_S3M_QUALITY_MEDIUM);
    kx_snd_s3m_render(out.data(), out.size() * 2);
    kx_snd_s3m_free(m);
    return out;
}

class SoundMusic : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        ini("MusicVolume=100\n");
    }

    // Lets the device play `frames` frames into out (from `at`) and runs one tick's refill.
    void tick(std::vector<int16_t> &out, size_t at, int frames)
    {
        ASSERT_EQ(plat_audio_render(out.data() + 2 * at, frames), frames);
        kx_snd_music_refill();
    }

    std::vector<int16_t> play_for(double seconds)
    {
        std::vector<int16_t> out(static_cast<size_t>(2 * RATE * seconds));
        for (size_t at = 0; at < out.size() / 2; at += TICK) tick(out, at, static_cast<int>(std::min<size_t>(TICK, out.size() / 2 - at)));
        return out;
    }

    int64_t song_frames()
    {
        KX_SND_S3M_STATUS st{};
        kx_snd_s3m_status_get(&st);
        return st.frames;
    }
};

bool silent(const std::vector<int16_t> &out)
{
    return std::all_of(out.begin(), out.end(), [](int16_t v) { return v == 0; });
}

TEST_F(SoundMusic, LoadingGoesByTheNameAndReportsWhatFailed)
{
    ASSERT_EQ(start(), 1);
    const std::string s3m = song();
    struct { std::string name, bytes; bool write; bool loads; std::string alert; } cases[] = {
        {"a.s3m", s3m, true, true, ""},
        {"B.S3M", s3m, true, true, ""},
        {"tune.S3m.bak", s3m, true, true, ""},
        {"c.mod", s3m, true, false, ""},
        {"none.s3m", "", false, false, "File not found snd\\none.s3m"},
        {"bad.s3m", "not a module at all", true, false, "Could not load snd\\bad.s3m"},
        {"bad.mp3", std::string(3000, 'x'), true, false, "Could not load snd\\bad.mp3"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        alerts.clear();
        std::string name = c.write ? effect_file(c.name, c.bytes) : "snd\\" + c.name;
        int n = kx_snd_load_music(name.c_str());
        EXPECT_EQ(n != 0, c.loads);
        if (c.alert.empty()) EXPECT_TRUE(alerts.empty());
        else EXPECT_EQ(alerts, (std::vector<std::pair<std::string, std::string>>{{c.alert, "Error"}}));
    }
    // Three pieces are in; taking the tenth entry grows the list by ten, the numbers go on.
    for (int n = 4; n <= 12; n++) {
        EXPECT_EQ(kx_snd_load_music("snd\\a.s3m"), n);
        EXPECT_EQ(kx_snd.music_capacity, n < 10 ? 10 : 20) << n;
    }
    EXPECT_EQ(kx_snd_unload_music(5), 1);
    EXPECT_EQ(kx_snd_load_music("snd\\B.S3M"), 5);
}

TEST_F(SoundMusic, OperationsRefuseWhatTheyCannotDo)
{
    std::string file = effect_file("a.s3m", song());
    ASSERT_EQ(start(), 1);
    int a = kx_snd_load_music(file.c_str()), b = kx_snd_load_music(file.c_str());
    struct { const char *what; int (*op)(int, int); int arg, result, current; } steps[] = {
        {"play 0", [](int n, int) { return kx_snd_play_music(n); }, 0, 0, 0},
        {"play unknown", [](int n, int) { return kx_snd_play_music(n); }, 99, 0, 0},
        {"stop with none current", [](int n, int) { return kx_snd_stop_music(n); }, a, 0, 0},
        {"play a", [](int n, int) { return kx_snd_play_music(n); }, a, 1, a},
        {"play b while a is current", [](int n, int) { return kx_snd_play_music(n); }, b, 0, a},
        {"pause b, not current", [](int n, int) { return kx_snd_pause_music(n, 1); }, b, 0, a},
        {"update unknown", [](int n, int) { return kx_snd_update_music(n); }, 99, 0, a},
        {"stop a", [](int n, int) { return kx_snd_stop_music(n); }, a, 1, 0},
        {"play b", [](int n, int) { return kx_snd_play_music(n); }, b, 1, b},
        {"unload b, current", [](int n, int) { return kx_snd_unload_music(n); }, b, 1, 0},
        {"unload b again", [](int n, int) { return kx_snd_unload_music(n); }, b, 0, 0},
    };
    for (const auto &s : steps) {
        EXPECT_EQ(s.op(s.arg, 0), s.result) << s.what;
        EXPECT_EQ(kx_snd_music_current(), s.current) << s.what;
    }
    EXPECT_EQ(audible.load(), 0);
    EXPECT_TRUE(silent(play_for(1.2)));

    // Music switched off: the request is refused but kept, and starts when music comes back.
    kx_snd_toggle_music();
    EXPECT_EQ(kx_snd_play_music(a), 0);
    EXPECT_EQ(kx_snd_music_current(), 0);
    kx_snd_toggle_music();
    EXPECT_EQ(kx_snd_music_current(), a);
    EXPECT_EQ(audible.load(), 1);
}

// The stream fed tick by tick, with ticks of uneven length as a real timer gives them, equals the
// piece's own render: no gap, nothing repeated, the MP3 looping without a seam. With the content
// build on, the first level's piece as the game ships it takes its turn too.
TEST_F(SoundMusic, TheStreamCarriesThePieceWithoutAGap)
{
    ASSERT_EQ(start(), 1);
    struct piece { std::string name, bytes; int seconds; };
    std::vector<piece> pieces = {
        {"song.s3m", song(), 20},
        {"chord.mp3", mp3_file(dir), 4},
    };
#ifdef VM_CONTENT_BUILT_DIR
    std::ifstream shipped(VM_CONTENT_BUILT_DIR "/snd/1.s3m", std::ios::binary);
    pieces.push_back({"1.s3m", {std::istreambuf_iterator<char>(shipped), {}}, 20});
#endif
    for (const auto &p : pieces) {
        SCOPED_TRACE(p.name);
        if (p.bytes.empty()) {
            ADD_FAILURE() << "the piece could not be made or read";
            continue;
        }
        const bool mp3 = p.name.ends_with(".mp3");
        std::vector<int16_t> own = own_render(p.bytes, mp3, p.seconds);
        int n = kx_snd_load_music(effect_file(p.name, p.bytes).c_str());
        ASSERT_EQ(kx_snd_play_music(n), 1);
        std::vector<int16_t> out(own.size());
        for (size_t at = 0, i = 0; at < out.size() / 2; i++) {
            int frames = static_cast<int>(std::min<size_t>(TICK / 2 + (i * 7919) % (TICK * 3 / 2), out.size() / 2 - at));
            tick(out, at, frames);
            at += static_cast<size_t>(frames);
        }
        // Where the piece sounds over 10 ms, so does the stream.
        int gaps = 0;
        for (size_t at = 0; at + TICK <= own.size() / 2; at += TICK) {
            auto span = [at](const std::vector<int16_t> &v) { return std::vector<int16_t>(v.begin() + 2 * at, v.begin() + 2 * (at + TICK)); };
            gaps += !silent(span(own)) && silent(span(out));
        }
        EXPECT_EQ(gaps, 0);
        size_t first_difference = std::mismatch(out.begin(), out.end(), own.begin()).first - out.begin();
        EXPECT_EQ(first_difference, out.size()) << "frame " << first_difference / 2;
        kx_snd_stop_music(n);
        kx_snd_unload_music(n);
    }
}

// Shut-down unloads every piece and then counts what the player and the decoders still hold:
// anything beyond what they held before sound started is reported.
TEST_F(SoundMusic, ShutDownReportsMusicMemoryThatWasNotGivenBack)
{
    const std::string mp3_bytes = mp3_file(dir);
    ASSERT_FALSE(mp3_bytes.empty()) << "lame did not encode the test file";
    const std::string s3m = effect_file("a.s3m", song()), mp3 = effect_file("b.mp3", mp3_bytes);
    struct { const char *what; bool load, play, unload, stray; } cases[] = {
        {"nothing loaded", false, false, false, false},
        {"pieces left loaded, one playing", true, true, false, false},
        {"pieces loaded and unloaded", true, false, true, false},
        {"a module held outside the list", true, false, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(start(), 1);
        alerts.clear();
        KX_SND_S3M_MODULE *stray = nullptr;
        if (c.stray) {
            const std::string bytes = song();
            stray = kx_snd_s3m_load(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), nullptr);
            ASSERT_NE(stray, nullptr);
        }
        if (c.load) {
            int a = kx_snd_load_music(s3m.c_str()), b = kx_snd_load_music(mp3.c_str());
            ASSERT_TRUE(a && b);
            if (c.play) {
                EXPECT_EQ(kx_snd_play_music(b), 1);
            }
            if (c.unload) {
                EXPECT_EQ(kx_snd_unload_music(a) + kx_snd_unload_music(b), 2);
            }
        }
        stop();
        const std::vector<std::pair<std::string, std::string>> none, lost = {{"Not all memory was freed.", "ERROR"}};
        EXPECT_EQ(alerts, c.stray ? lost : none);
        kx_snd_s3m_free(stray);
    }
}

TEST_F(SoundMusic, QualityReachesAPlayingModuleOnly)
{
    ASSERT_EQ(start(), 1);
    int s = kx_snd_load_music(effect_file("a.s3m", song()).c_str());
    ASSERT_EQ(kx_snd_play_music(s), 1);
    play_for(0.2);
    KX_SND_S3M_STATUS st{};
    for (int quality : {8, 0, 4}) {
        kx_snd_set_quality(quality);
        play_for(0.1);
        kx_snd_s3m_status_get(&st);
        EXPECT_EQ(st.mode & 12, quality);
    }
    kx_snd_stop_music(s);

    std::string mp3 = mp3_file(dir);
    ASSERT_FALSE(mp3.empty());
    int m = kx_snd_load_music(effect_file("chord.mp3", mp3).c_str());
    ASSERT_EQ(kx_snd_play_music(m), 1);
    std::vector<int16_t> before = play_for(0.3);
    kx_snd_set_quality(8);
    // The player keeps its mode: nothing was handed to it.
    kx_snd_s3m_render(before.data(), 0);
    kx_snd_s3m_status_get(&st);
    EXPECT_EQ(st.mode & 12, 4);
    EXPECT_EQ(kx_snd_music_current(), m);
}

// Switching music off and a pause from the game both hold the song where it had reached, silent,
// and go on from there.
TEST_F(SoundMusic, MusicOffAndPauseResumeWhereTheSongHadReached)
{
    ASSERT_EQ(start(), 1);
    const std::string bytes = song();
    std::vector<int16_t> own = own_render(bytes, false, 6);
    int n = kx_snd_load_music(effect_file("a.s3m", bytes).c_str());
    ASSERT_EQ(kx_snd_play_music(n), 1);
    play_for(1.5);
    // Each holds the song with true and lets it go with false; 1 when it did what was asked.
    const std::function<int(bool)> holds[] = {[](bool hold) { return int(kx_snd_toggle_music() == !hold); },
                                              [n](bool hold) { return kx_snd_pause_music(n, hold); }};
    for (const auto &hold : holds) {
        ASSERT_EQ(hold(true), 1);
        const int64_t reached = song_frames();
        EXPECT_TRUE(silent(play_for(0.4)));
        EXPECT_EQ(song_frames(), reached);
        ASSERT_EQ(hold(false), 1);
        std::vector<int16_t> resumed = play_for(0.8);
        ASSERT_LE(resumed.size() + 2 * reached, own.size());
        EXPECT_TRUE(std::equal(resumed.begin(), resumed.end(), own.begin() + 2 * reached));
    }
}

} // namespace
