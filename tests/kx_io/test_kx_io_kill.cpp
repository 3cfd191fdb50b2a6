// The settings writer against a hard kill: a child process rewrites a large settings file over
// and over and is killed at some moment; whatever the moment, the file still holds every key.
// And the game's shut-down, which writes many keys under one hold: killed at random moments, the
// file is always the whole old or the whole new one.
#include "kx_io_test_util.h"
#include "tests/kill_test_util.h"

#include <chrono>
#include <random>


using namespace kxio_test;

namespace {

constexpr int KEYS = 20000;

std::string settings_text()
{
    std::string s = "[Main]\nCounter=0\n\n[Keys]\n";
    for (int i = 0; i < KEYS; i++) s += "K" + std::to_string(i) + "=value-" + std::to_string(i) + "\n";
    return s;
}

// The file without its Counter line, and the Counter value ("" when the line is missing).
std::pair<std::string, std::string> split_counter(const std::string &text)
{
    size_t at = text.find("Counter="), end = at == std::string::npos ? at : text.find('\n', at);
    if (end == std::string::npos) return {text, ""};
    return {text.substr(0, at) + text.substr(end + 1), text.substr(at + 8, end - at - 8)};
}

} // namespace

TEST_F(IoTest, SettingsSurviveAKillDuringAWrite)
{
    const std::string original = settings_text();
    const std::string rest = split_counter(original).first;
    write_file(dir / "big.ini", original);

    for (int round = 0; round < 5; round++) {
        // Let it run into one of the following writes; any moment is a fair test.
        const std::string killed = kill_writer(
            [this](int n) {
                if (n == 1) kx_io_init(&settings);
                return kx_io_ini_set_int("Main", "Counter", n, "big.ini") == 1;
            },
            static_cast<useconds_t>(2000 + round * 7000));
        ASSERT_EQ(killed, "");

        SCOPED_TRACE(round);
        auto [text_rest, counter] = split_counter(read_file(dir / "big.ini"));
        EXPECT_EQ(text_rest, rest);
        EXPECT_FALSE(counter.empty());
        EXPECT_EQ(counter.find_first_not_of("0123456789"), std::string::npos) << counter;
    }

    // A write after the kill finds the leftover temporary file and still succeeds.
    ASSERT_EQ(start(), 1);
    ASSERT_EQ(kx_io_ini_set_int("Main", "Counter", 77, "big.ini"), 1);
    EXPECT_EQ(split_counter(read_file(dir / "big.ini")).second, "77");
}

namespace {

// The keys a shut-down writes, section by section, in the game's order.
const std::pair<const char *, const char *> SHUTDOWN_KEYS[] = {
    {"Preferences", "Floor"},         {"Preferences", "Background"},  {"Sound", "DigitalMusic"},
    {"Sound", "SoundEffects"},        {"Sound", "MusicVolume"},       {"Sound", "SoundVolume"},
    {"Sound", "Interpolation"},       {"Display", "Resolution"},      {"Display", "WindowPosition"},
    {"Display", "Fullscreen"},        {"Display", "FullPosition"},    {"System", "UsedRAM"},
    {"System", "MaxNumberAlloc"},     {"System", "NumberAlloc"},      {"System", "TotalSizeHeap"},
    {"System", "MaxUsedHeap"},
};

// One shut-down's writes; `set` 0 and 1 give every key a different value.
bool shutdown_write(int set)
{
    if (!kx_io_ini_hold("game.ini")) return false;
    int i = 0;
    for (const auto &[section, key] : SHUTDOWN_KEYS)
        if (!kx_io_ini_set_int(section, key, set ? 7000 + i++ : i++, "game.ini")) return false;
    return kx_io_ini_hold_end() == 1;
}

} // namespace

TEST_F(IoTest, ShutDownSettingsAreWholeOldOrWholeNewAfterAKill)
{
    write_file(dir / "game.ini", "; kept\r\n[Display]\r\nFullscreen=1\r\n\r\n[Application]\r\nLanguage=2\r\n");
    ASSERT_EQ(start(), 1);
    ASSERT_TRUE(shutdown_write(1));
    const std::string b = read_file(dir / "game.ini");
    auto begun = std::chrono::steady_clock::now();
    ASSERT_TRUE(shutdown_write(0));
    const auto cycle = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begun);
    const std::string a = read_file(dir / "game.ini");
    ASSERT_NE(a, b);
    ASSERT_NE(a.find("Language=2"), std::string::npos);
    stop();

    std::mt19937 random(20261206);
    std::uniform_int_distribution<long> moment(0, 2 * cycle.count());
    for (int round = 0; round < 100; round++) {
        const std::string killed = kill_writer(
            [this](int n) {
                if (n == 1) kx_io_init(&settings);
                return shutdown_write(n % 2);
            },
            static_cast<useconds_t>(moment(random)));
        ASSERT_EQ(killed, "");
        const std::string file = read_file(dir / "game.ini");
        ASSERT_TRUE(file == a || file == b) << "round " << round << ": a mixed or broken file of " << file.size() << " bytes";
    }

    // The next start reads whole settings, and its shut-down writes past whatever the kill left.
    ASSERT_EQ(start(), 1);
    int floor = -1, fullscreen = -1;
    kx_io_ini_get_int("Preferences", "Floor", &floor, "game.ini");
    kx_io_ini_get_int("Display", "Fullscreen", &fullscreen, "game.ini");
    EXPECT_TRUE((floor == 0 && fullscreen == 9) || (floor == 7000 && fullscreen == 7009)) << floor << " " << fullscreen;
    ASSERT_TRUE(shutdown_write(0));
    EXPECT_EQ(read_file(dir / "game.ini"), a);
}
