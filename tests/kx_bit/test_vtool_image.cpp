// veltramondo-tool image: a JPEG written band by band as PPM (.ppm) or PAM with alpha (any other
// name) holds the reader's pixels; a PNG goes the whole-picture way; a damaged file leaves no
// output behind.
#include "tests/kx_bit/kx_bit_test.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

int run_tool(const std::string &arguments)
{
    int status = std::system((std::string(VTOOL_PATH) + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void write_bytes(const fs::path &path, const bytes &b)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), std::streamsize(b.size()));
}

bytes read_bytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), {});
}

// `header` followed by the RGB pixels, widened to RGBA with alpha 255 when `alpha`.
bytes picture_file(const std::string &header, const bytes &rgb, bool alpha)
{
    bytes out(header.begin(), header.end());
    for (size_t i = 0; i < rgb.size(); i += 3) {
        out.insert(out.end(), rgb.begin() + long(i), rgb.begin() + long(i) + 3);
        if (alpha) out.push_back(255);
    }
    return out;
}

TEST(VtoolImage, WritesTheReadersPixelsAsPpmOrPam)
{
    fs::path dir = fs::temp_directory_path() / ("vm_vtool_image_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const int w = 45, h = 37;
    bytes jpeg = kxref::jpeg_write(w, h, kxref::make_pixels(w, h, 3, 5), {.quality = 80});
    write_bytes(dir / "in.jpg", jpeg);
    pic b;
    ASSERT_EQ(kx_bit_decode_jpeg(&b, jpeg.data(), jpeg.size(), 0), 1);
    std::string size = std::to_string(w) + " " + std::to_string(h);
    EXPECT_EQ(run_tool("image " + (dir / "in.jpg").string() + " " + (dir / "out.ppm").string()), 0);
    EXPECT_TRUE(read_bytes(dir / "out.ppm") == picture_file("P6\n" + size + "\n255\n", px(b), false));
    EXPECT_EQ(run_tool("image " + (dir / "in.jpg").string() + " " + (dir / "out.pam").string()), 0);
    std::string pam = "P7\nWIDTH " + std::to_string(w) + "\nHEIGHT " + std::to_string(h) +
                      "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    EXPECT_TRUE(read_bytes(dir / "out.pam") == picture_file(pam, px(b), true));

    bytes png = kxref::png_write(w, h, kxref::make_pixels(w, h, 3, 6), {});
    write_bytes(dir / "in.png", png);
    EXPECT_EQ(run_tool("image " + (dir / "in.png").string() + " " + (dir / "png.ppm").string()), 0);
    bytes rows;
    int rw = 0, rh = 0;
    ASSERT_TRUE(kxref::png_read(png, &rw, &rh, &rows));
    EXPECT_TRUE(read_bytes(dir / "png.ppm") == picture_file("P6\n" + size + "\n255\n", rows, false));

    jpeg.resize(jpeg.size() / 2);
    write_bytes(dir / "cut.jpg", jpeg);
    EXPECT_EQ(run_tool("image " + (dir / "cut.jpg").string() + " " + (dir / "cut.ppm").string()), 1);
    EXPECT_FALSE(fs::exists(dir / "cut.ppm"));
    fs::remove_all(dir);
}

}  // namespace
