// Hand-written text data: the CR LF check of the build, the texts index, the default settings
// and the particle effects file.
#include "tests/content/content_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Runs the build's line-end check on `files` (joined with ';'), with an optional stamp file.
int check_crlf(const std::vector<std::string> &files, const std::string &stamp = "")
{
    std::string list;
    for (const std::string &f : files) list += (list.empty() ? "" : ";") + f;
    return content_run(std::string("\"") + VM_CMAKE_COMMAND + "\" \"-DFILES=" + list + "\"" +
                       (stamp.empty() ? "" : " -DSTAMP=" + stamp) + " -P \"" + content_assets_dir() +
                       "/check_crlf.cmake\" >/dev/null 2>&1");
}

// Values of one INI section: key=value lines up to the next '[' line.
std::map<std::string, std::string> ini_section(const std::string &text, const std::string &section)
{
    std::map<std::string, std::string> keys;
    std::stringstream ss(text);
    std::string line;
    bool inside = false;
    while (std::getline(ss, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        size_t eq = line.find('=');
        if (inside && eq != std::string::npos && eq > 0 && line[0] != ' ') keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

} // namespace

TEST(LineEnds, CheckAcceptsCrLfAndCatchesStrippedFiles)
{
    std::string dir = content_temp_dir("crlf");
    std::ofstream(dir + "/good.txt", std::ios::binary) << "!AAAA\r\n@6500\r\n}5\r\n";
    std::ofstream(dir + "/stripped.txt", std::ios::binary) << "!AAAA\n@6500\n}5\n";
    std::ofstream(dir + "/lone_cr.txt", std::ios::binary) << "!AAAA\r@6500\r\n";
    EXPECT_EQ(check_crlf({dir + "/good.txt"}), 0);
    EXPECT_NE(check_crlf({dir + "/stripped.txt"}), 0);
    EXPECT_NE(check_crlf({dir + "/lone_cr.txt"}), 0);
    EXPECT_NE(check_crlf({dir + "/good.txt", dir + "/stripped.txt"}), 0);
    // The stamp that lets the build skip the check is written only when every file passes.
    std::string bytes;
    check_crlf({dir + "/stripped.txt"}, dir + "/ok.stamp");
    EXPECT_FALSE(content_read(dir + "/ok.stamp", bytes));
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

TEST(LineEnds, ShippedLineReaderFilesUseCrLf)
{
    EXPECT_EQ(check_crlf({content_assets_dir() + "/data/levels.txt", content_assets_dir() + "/level/brick.def"}), 0);
}

TEST(Texts, ApplicationSectionAndSplashes)
{
    std::string text;
    ASSERT_TRUE(content_read(content_assets_dir() + "/data/texts.txt", text));
    auto app = ini_section(text, "Application");
    EXPECT_EQ(app["Title"], "Veltramondo");
    // Keys with the buffer sizes the program reads them into.
    const std::pair<const char *, size_t> keys[] = {{"StartSplash", 30}, {"INIFile", 50}, {"Title", 30}, {"LNGFile", 50},
                                                    {"Class", 30},       {"HLPFile", 50}, {"PALFile", 50}};
    for (const auto &[key, size] : keys) EXPECT_TRUE(!app[key].empty() && app[key].size() <= size) << key << " = " << app[key];
    EXPECT_FALSE(app["Version"].empty());
    std::string pal;
    EXPECT_TRUE(content_read(content_path(content_generated_dir(), app["PALFile"]), pal));
    EXPECT_GE(pal.size(), 768u);
    for (const char *lang : {"EN", "DE", "ES", "FR", "IT", "PT"}) {
        auto splash = ini_section(text, app["StartSplash"] + "_" + lang);
        std::string bitmap;
        EXPECT_TRUE(content_read(content_path(content_generated_dir(), splash["Bitmap"]), bitmap)) << lang;
        EXPECT_FALSE(splash["Text"].empty()) << lang;
    }
}

TEST(Texts, DefaultSettings)
{
    std::string text;
    ASSERT_TRUE(content_read(content_assets_dir() + "/Default.ini", text));
    EXPECT_EQ(ini_section(text, "Preferences")["Floor"], "1");
    EXPECT_EQ(ini_section(text, "Preferences")["Background"], "1");
    auto sound = ini_section(text, "Sound");
    for (const char *k : {"MusicVolume", "SoundVolume"})
        EXPECT_TRUE(std::atoi(sound[k].c_str()) >= 0 && std::atoi(sound[k].c_str()) <= 100) << k << " = " << sound[k];
    // Boxes stay on: a fatal error in a data file must show before the game closes.
    EXPECT_NE(ini_section(text, "Display")["SkipMessageBox"], "1");
    // No language is preset, so that the first start shows the language screen.
    EXPECT_TRUE(ini_section(text, "Application")["Language"].empty());
}

TEST(ParticleEffects, DeclaredEffectsAndTextures)
{
    std::string text;
    ASSERT_TRUE(content_read(content_assets_dir() + "/data/part_fx.txt", text));
    int declared = -1;
    std::vector<std::pair<int, int>> effects;   // emitters wanted and found
    std::set<int> textures;
    for (const std::string &raw : content_cr_lines(text)) {
        std::string line = raw.substr(std::min(raw.find_first_not_of(' '), raw.size()));
        if (line.empty()) continue;
        if (line[0] == '@') declared = std::atoi(line.c_str() + 1);
        if (line[0] == '!') effects.emplace_back(std::atoi(line.c_str() + 1), 0);
        if (line.rfind("##", 0) == 0) {
            ASSERT_FALSE(effects.empty());
            effects.back().second++;
        }
        if (line.rfind("#I", 0) == 0) {
            std::stringstream ss(line.substr(3));
            std::vector<std::string> v;
            for (std::string item; ss >> item;) v.push_back(item);
            ASSERT_EQ(v.size(), 11u) << line;
            int texture = std::atoi(v[0].c_str());
            EXPECT_TRUE(texture <= 0 || textures.count(texture)) << "texture " << texture << " used before it is defined";
        }
        if (line[0] == '%') {
            int n = std::atoi(line.c_str() + 1);
            EXPECT_TRUE(textures.insert(n).second) << "texture " << n << " twice";
            std::stringstream ss(line.substr(line.find('=') + 1));
            std::string item, bytes;
            for (int k = 0; std::getline(ss, item, ','); k++) {
                std::stringstream(item) >> item;   // without its spaces
                EXPECT_TRUE(k % 2 ? std::atoi(item.c_str()) > 0 : content_read(content_path(content_generated_dir(), item), bytes))
                    << item << " in " << line;
            }
        }
    }
    // The game starts effects 0 to 3.
    EXPECT_GE(declared, 4);
    ASSERT_EQ(int(effects.size()), declared);
    for (size_t i = 0; i < effects.size(); i++) EXPECT_EQ(effects[i].second, effects[i].first) << "effect " << i;
}
