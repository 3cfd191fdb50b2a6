// File level: the reader is chosen by the name, files are read through kx_io, pictures are saved
// and read back, snapshots take the first free number.
#include "tests/kx_bit/kx_bit_test.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Runs each test in a fresh folder (bare names are written to the current folder).
class KxBitFile : public testing::Test {
protected:
    void SetUp() override
    {
        old_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("kx_bit_file_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
    }
    void TearDown() override
    {
        fs::current_path(old_);
        fs::remove_all(dir_);
    }
    static void write(const std::string &name, const bytes &b)
    {
        std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), long(b.size()));
    }
    fs::path old_, dir_;
};

}  // namespace

TEST_F(KxBitFile, ReaderChosenByNameInAnyCase)
{
    bytes png = kxref::png_write(6, 4, kxref::make_pixels(6, 4, 3, 1), {});
    write("pic.png", png);
    write("pic.jpeg", kxref::jpeg_write(6, 4, kxref::make_pixels(6, 4, 3, 1), {}));
    write("pic.dat", png);
    write("png_named.tga", png);   // a PNG under a TGA name goes to the TGA reader

    pic b;
    ASSERT_EQ(kx_bit_load(&b, "pic.png", 1), 1);
    EXPECT_EQ(b.depth, 24);
    kx_bit_free(&b);
    ASSERT_EQ(kx_bit_load_at("here.cpp", 7, &b, "pic.jpeg", 1), 1);
    EXPECT_EQ(b.width, 6);
    kx_bit_free(&b);
    for (const char *refused : {"pic.dat", "png_named.tga", "missing.png"}) {
        EXPECT_EQ(kx_bit_load(&b, refused, 1), 0) << refused;
        EXPECT_EQ(b.pixels, nullptr);
    }
}

TEST_F(KxBitFile, SaveChoosesTheFormatByDepthAndSnapshotsNumberThemselves)
{
    pic p(5, 3, 8);
    for (int i = 0; i < 15; i++) p.pixels[i] = uint8_t(i * 17);
    p.palette = kx_pal_alloc(nullptr, 256, 1 | 4);
    // The name does not decide: an 8-bit picture is PCX whatever it is called.
    ASSERT_EQ(kx_bit_save(&p, "eight.pcx", nullptr, 0), 1);
    pic back;
    ASSERT_EQ(kx_bit_load(&back, "eight.pcx", 1), 1);
    EXPECT_EQ(px(back), px(p));
    kx_bit_free(&back);
    KX_PALETTE *pal = kx_pal_load("eight.pcx");
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(pal->colors[3 * 255], 255);
    kx_pal_free(pal);
    EXPECT_EQ(kx_pal_load("none.pal"), nullptr);

    ASSERT_EQ(kx_bit_snapshot_save(&p, 8), 1);
    ASSERT_EQ(kx_bit_snapshot_save(&p, 8), 1);
    EXPECT_TRUE(fs::exists("Snap0000.pcx"));
    EXPECT_TRUE(fs::exists("Snap0001.pcx"));
    ASSERT_EQ(kx_bit_convert(&p, 24), 1);
    ASSERT_EQ(kx_bit_snapshot_save(&p, 24), 1);
    ASSERT_EQ(kx_bit_load(&back, "Snap0000.tga", 0), 1);
    EXPECT_EQ(back.depth, 24);
    EXPECT_EQ(px(back), px(p));

    KX_BIT_DISPLAY d = {};
    d.use_3d = 1;
    d.vendor = "SGI";
    d.renderer = "Generic GDI";
    kx_bit_display_set(&d);
    EXPECT_EQ(kx_bit_snapshot_save(&p, 24), 0);
    EXPECT_EQ(msg().rfind("Sorry, it's not possible to take a snapshot under SGI's", 0), 0u);
    kx_bit_display_set(nullptr);
}
