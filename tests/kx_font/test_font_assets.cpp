// The game's generated fonts: each must load and draw every character of the alphabets of our six
// languages (German, English, Spanish, French, Italian, Portuguese) with a glyph of its own,
// never the default character. The fonts are made by running assetgen into a scratch folder.
#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_font/kx_font.h"
#include "kx/kx_mem/kx_mem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char *const alphabets[] = {
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.,:;!?'\"-()/%&+*=@#",   // English
    "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F",   // German
    "\xC3\x81\xC3\x89\xC3\x8D\xC3\x93\xC3\x9A\xC3\x91\xC3\x9C\xC3\xA1\xC3\xA9\xC3\xAD\xC3\xB3\xC3\xBA\xC3\xB1\xC3\xBC"
    "\xC2\xBF\xC2\xA1\xC2\xAA\xC2\xBA",   // Spanish
    "\xC3\x80\xC3\x82\xC3\x86\xC3\x87\xC3\x88\xC3\x89\xC3\x8A\xC3\x8B\xC3\x8E\xC3\x8F\xC3\x94\xC5\x92\xC3\x99\xC3\x9B"
    "\xC3\x9C\xC5\xB8\xC3\xA0\xC3\xA2\xC3\xA6\xC3\xA7\xC3\xA8\xC3\xA9\xC3\xAA\xC3\xAB\xC3\xAE\xC3\xAF\xC3\xB4\xC5\x93"
    "\xC3\xB9\xC3\xBB\xC3\xBC\xC3\xBF\xC2\xAB\xC2\xBB",   // French
    "\xC3\x80\xC3\x88\xC3\x89\xC3\x8C\xC3\x8D\xC3\x8E\xC3\x92\xC3\x93\xC3\x99\xC3\x9A\xC3\xA0\xC3\xA8\xC3\xA9\xC3\xAC"
    "\xC3\xAD\xC3\xAE\xC3\xB2\xC3\xB3\xC3\xB9\xC3\xBA",   // Italian
    "\xC3\x81\xC3\x82\xC3\x83\xC3\x80\xC3\x87\xC3\x89\xC3\x8A\xC3\x8D\xC3\x93\xC3\x94\xC3\x95\xC3\x9A\xC3\xA1\xC3\xA2"
    "\xC3\xA3\xC3\xA0\xC3\xA7\xC3\xA9\xC3\xAA\xC3\xAD\xC3\xB3\xC3\xB4\xC3\xB5\xC3\xBA",   // Portuguese
};

const char *const font_names[] = {"font/langfont32.fnt", "font/langfont64.fnt", "font/langfont_highlighted.fnt",
                                  "font/helpfont.fnt"};

int32_t report = 0;

class GeneratedFonts : public ::testing::Test {
protected:
    static fs::path out;
    static void SetUpTestSuite()
    {
        kx_font_init(&report);
        out = fs::temp_directory_path() / ("vm_fonts_" + std::to_string(::getpid()));
        std::string cmd = std::string("'") + VM_ASSETGEN + "' '" + VM_SOURCE_DIR + "/assets' '" + out.string() + "' fonts";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    static void TearDownTestSuite()
    {
        kx_font_done();
        fs::remove_all(out);
    }
};
fs::path GeneratedFonts::out;

} // namespace

TEST_F(GeneratedFonts, EveryLanguageCharacterHasItsOwnGlyph)
{
    for (const char *name : font_names) {
        SCOPED_TRACE(name);
        KX_FONT font;
        ASSERT_EQ(kx_font_load(&font, (out / name).c_str(), 0), 1);
        EXPECT_EQ(font.version, 2);
        KX_BITMAP target{}, line{};
        KX_RECT r = {0, 0, int16_t(font.width * 4), int16_t(font.height)};
        ASSERT_TRUE(kx_bit_alloc(&target, &r, 8));
        for (const char *alphabet : alphabets) {
            // The whole list in one line: every character takes its cell and the gap.
            int chars = 0;
            for (const char *p = alphabet; *p; p++) chars += (*p & 0xC0) != 0x80;
            KX_RECT lr = {0, 0, int16_t(chars * (font.width + 1)), int16_t(font.height)};
            ASSERT_TRUE(kx_bit_alloc(&line, &lr, 8));
            EXPECT_EQ(kx_font_print(&font, &line, nullptr, 0, "%s", alphabet), chars * (font.width + 1));
            kx_bit_free(&line);
            // Each character alone (its lead and continuation bytes): its own glyph, with ink in it.
            uint32_t *codes = nullptr;
            int capacity = 0, n = kx_font_utf_8_to_unicode(&codes, &capacity, alphabet, KX_FONT_UTF_GROW);
            const char *p = alphabet;
            for (int i = 0; i < n; i++) {
                int index = kx_font_find(&font, codes[i]);
                ASSERT_GT(index, 0);
                EXPECT_EQ(font.chars[index - 1].code, codes[i]) << "U+" << std::hex << codes[i];
                const char *end = p + 1;
                while ((*end & 0xC0) == 0x80) end++;
                std::memset(target.pixels, 0, size_t(target.width) * target.height);
                kx_font_print(&font, &target, nullptr, KX_FONT_TRANSPARENT, "%s", std::string(p, end).c_str());
                p = end;
                int area = target.width * target.height;
                EXPECT_LT(std::count(target.pixels, target.pixels + area, 0), area) << "U+" << std::hex << codes[i];
            }
            kx_mem_free(codes);
        }
        kx_bit_free(&target);
        kx_font_free(&font);
    }
}

TEST_F(GeneratedFonts, HighlightedFontIsAnimated)
{
    KX_FONT font;
    ASSERT_EQ(kx_font_load(&font, (out / "font/langfont_highlighted.fnt").c_str(), 0), 1);
    int index = kx_font_find(&font, 'E');
    ASSERT_GT(index, 0);
    const KX_FONT_CHAR_DATA *data = font.chars[index - 1].data;
    ASSERT_GT(data->frame_count, 1);
    const KX_BITMAP &first = data->frames[0].bitmap;
    EXPECT_EQ(first.width, 64);
    EXPECT_EQ(first.height, 64);
    // The light sweeps: some frame differs from the first.
    bool moves = false;
    for (int f = 1; f < data->frame_count; f++)
        moves |= std::memcmp(first.pixels, data->frames[f].bitmap.pixels, size_t(first.width) * first.height) != 0;
    EXPECT_TRUE(moves);
    kx_font_free(&font);
}
