// veltramondo-tool view run from the game's folder, as a level author runs it: the brick world,
// its map and the editor font come out of the shipped data pack, and the pitch moves the picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Runs the tool in the game's folder; the exit status, or -1.
int view(const std::string &args)
{
    std::string cmd = std::string("cd '") + VM_APP_DIR + "' && '" + VTOOL_PATH + "' view " + args + " >/dev/null";
    int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// The pixels of an uncompressed 24-bit TGA, empty when it is not one.
std::vector<uint8_t> tga_pixels(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 18 || b[2] != 2 || b[16] != 24) return {};
    return std::vector<uint8_t>(b.begin() + 18 + b[0], b.end());
}

// Mean brightness of the bottom rows of a 320-pixel-wide picture (rows are stored top first).
double bottom_brightness(const std::vector<uint8_t> &px, int rows)
{
    size_t from = px.size() - size_t(rows) * 320 * 3;
    double sum = 0;
    for (size_t i = from; i < px.size(); i++) sum += px[i];
    return sum / double(px.size() - from);
}

} // namespace

TEST(VtoolView, RendersTheShippedBrickWorldFromThePackWithItsMap)
{
    if (!fs::exists(fs::path(VM_APP_DIR) / "resource.dat")) GTEST_SKIP() << "no data pack built";
    fs::path dir = fs::temp_directory_path() / ("vm_view_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string flat = (dir / "flat.tga").string(), game = (dir / "game.tga").string();
    ASSERT_EQ(view("'level\\brick.def' --size 320x200 --snapshot '" + flat + "'"), 0);
    ASSERT_EQ(view("'level\\brick.def' 'level\\brick.map' --pack resource.dat --pitch -40 --size 320x200 --snapshot '" +
                   game + "'"),
              0);
    std::vector<uint8_t> a = tga_pixels(flat), b = tga_pixels(game);
    ASSERT_EQ(a.size(), 320u * 200 * 3);
    ASSERT_EQ(b.size(), a.size());
    // The map's grey floor fills the bottom of the picture (the starry background alone is dark);
    // the game's pitch shows another picture.
    EXPECT_GT(bottom_brightness(a, 20), 60.0);
    EXPECT_NE(a, b);
    EXPECT_NE(view("'level\\nothing.def' --snapshot '" + flat + "'"), 0);
    EXPECT_EQ(view("--pitch 500 'level\\brick.def'"), 2);
    fs::remove_all(dir);
}
