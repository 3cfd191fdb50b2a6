// veltramondo-tool wav: the format of a good file, the exact message and status of a bad one.
#include "tests/kx_snd/snd_test_util.h"

#include <cstdio>

using namespace snd_test;

namespace {

std::pair<int, std::string> run(const std::string &path)
{
    std::string command = std::string(VTOOL_PATH) + " wav '" + path + "' 2>&1";
    std::string text;
    FILE *p = popen(command.c_str(), "r");
    char buffer[512];
    while (p && std::fgets(buffer, sizeof buffer, p)) text += buffer;
    int status = p ? pclose(p) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

TEST(VtoolWav, PrintsTheFormatOrTheReaderMessage)
{
    fs::path dir = fs::temp_directory_path() / ("vm_vtool_wav_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    write_file(dir / "good.wav", wave(pcm16(std::vector<int16_t>(88200)), {.channels = 2, .rate = 44100}));
    auto [ok, text] = run((dir / "good.wav").string());
    EXPECT_EQ(ok, 0);
    EXPECT_NE(text.find("PCM, 44100 Hz, 16 bits, 2 channels, 176400 bytes of samples (1.000 s)"), std::string::npos) << text;

    write_file(dir / "adpcm.wav", wave(pcm16({1, 2}), {.tag = 2}));
    auto [bad, message] = run((dir / "adpcm.wav").string());
    EXPECT_EQ(bad, 1);
    EXPECT_EQ(message, "wav: " + (dir / "adpcm.wav").string() + ": This file is not in MicroSoft PCM format\n");
    fs::remove_all(dir);
}

} // namespace
