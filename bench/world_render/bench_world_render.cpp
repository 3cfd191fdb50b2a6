// render_world on a full 100 x 100 world of 12-unit cells (bumpy floor, raised blocks, the
// world's 997 objects in the rows nearest the camera) seen at 640 x 480 from the near edge, as the game sees its field.
// Reports frames per second through the OpenGL driver (llvmpipe when headless), and the CPU
// time of our own per-frame work (row walk, projection, culling, sorting, vertex building) with
// the geometry handed to a sink that drops it, so that no driver time is counted.
//   SDL_VIDEODRIVER=offscreen ./bench/world_render/bench_world_render [frames]
#include "tests/world_render/render_fixture.h"

#include "platform/plat_core.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

constexpr int W = 640, H = 480;
long sunk;

void null_begin() {}
void null_end() {}
void null_polygon(uint32_t, const WORLD_VERTEX *v, int count, uint32_t, float, int)
{
    sunk += count + static_cast<long>(v[0].x);
}
void null_line(float, float, float, float) {}
void null_points(const float *, int) {}
constexpr WORLD_SINK null_sink = {null_begin, null_end, null_polygon, null_line, null_points};

double cpu_ms()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    if (!gen_wrap_headless_start(W, H, 0)) {
        std::fprintf(stderr, "no OpenGL context\n");
        return 1;
    }
    {
        render_test::TestWorld w(100, 100, 12);
        uint32_t tex[4] = {render_test::test_texture(0x3060C0, 32), render_test::test_texture(0x40A040, 32),
                           render_test::test_texture(0xC08030, 32), render_test::test_texture(0xE0E020, 32)};
        for (int i = 0; i < 4; i++) w.bitmaps[i].texture = tex[i];
        w.sprite_bitmaps[0].texture = tex[3];
        w.tile(1, 0, 2, 2, 2, 2, -1);
        w.tile(2, 1, 2, 2, 2, 2, 2);
        // Objects fill the world's 997 from the near rows back, two in every other cell.
        for (int r = 99; r >= 0; r--)
            for (int c = 0; c < 100; c++) {
                bool raised = (r * 7 + c * 13) % 9 == 0;
                w.block(r, c, raised ? 2 : 1, raised ? 6 : ((r + c) % 3) - 1, -8);
                if (c % 2 == 0 && c >= 25 && c < 75 && world_max_object < WORLD_OBJECT_LIMIT - 3) {
                    w.object(0, c * 12 + 4.0, 0.0, r * 12 + 5.0, 6, 8);
                    w.object(0, c * 12 + 8.0, 0.0, r * 12 + 9.0, 6, 8);
                }
            }
        set_world_viewport(H - 1, W - 1);
        init_3d_engine();
        world_view.depth = 17;
        world_view.horizon_shift = -30;
        world_view.cell_shading = world_view.object_shading = 1;
        world_view.falloff_start = 10;
        auto camera_z = [](int f) { return 99 * 12.0 - (f % 40) * 3.0; };

        // Our own work only.
        world_sink_set(&null_sink);
        std::vector<double> own;
        for (int f = 0; f < frames; f++) {
            double t0 = cpu_ms();
            render_world(50 * 12.0, 30.0, camera_z(f), 0);
            own.push_back(cpu_ms() - t0);
        }
        // Through the driver, finished and shown every frame.
        world_sink_set(nullptr);
        std::vector<double> wall;
        for (int f = 0; f < frames; f++) {
            auto t0 = std::chrono::steady_clock::now();
            gen_wrap_screen_clear();
            render_world(50 * 12.0, 30.0, camera_z(f), 0);
            gen_wrap_display_update();
            wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        }
        render_test::captured.clear();
        render_test::capture_start();
        render_world(50 * 12.0, 30.0, camera_z(0), 0);
        world_sink_set(nullptr);
        std::printf("render_world 100x100 world, %d frames at %dx%d, %zu polygons a frame\n", frames, W, H,
                    render_test::captured.size());
        std::printf("own work (CPU, no driver): median %.3f ms a frame\n", median(own));
        std::printf("with OpenGL (wall clock):  median %.3f ms a frame, %.1f frames per second\n", median(wall),
                    1000.0 / median(wall));
        deinit_3d_engine();
        for (uint32_t t : tex) gen_texture_delete(t);
    }
    gen_wrap_headless_stop();
    return sunk == 42 ? 1 : 0;
}
