// Shared set-up of the display tests: a scratch folder as the per-user folder, file I/O started
// on it, alerts captured, and a display configuration to start the display with.
#pragma once

#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_io/kx_io.h"
#include "platform/plat_core.h"
#include "platform/plat_display.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace dsp_test {

namespace fs = std::filesystem;

inline std::vector<std::pair<std::string, std::string>> alerts;

inline int capture(const char *text, const char *title, unsigned)
{
    alerts.emplace_back(text ? text : "", title ? title : "");
    return 1;
}

inline std::string read_file(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void write_file(const fs::path &p, const std::string &text)
{
    std::ofstream(p, std::ios::binary) << text;
}

constexpr KX_DSP_RESOLUTION resolutions[] = {
    {320, 200, KX_DSP_RES_LOW}, {640, 480, 0}, {800, 600, KX_DSP_RES_HIGH}, {0, 0, 0}};

class DspTest : public ::testing::Test {
protected:
    fs::path dir;
    KX_IO_SETTINGS io{0, 0, "", "display.ini"};
    KX_DSP_SETUP setup{};
    std::atomic<int> active{0}, ready{0};
    bool started = false;
    int headless = 1;

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vm_dsp_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        setenv("U3_APP_DATA_PATH", dir.c_str(), 1);
        ASSERT_EQ(plat_init(headless), 1);
        plat_alert_capture(capture);
        alerts.clear();
        ASSERT_EQ(kx_io_init(&io), 1);
        kx_io_app_folder_init("display.ini", "Veltramondo");
        setup.command_line = "";
        setup.class_name = "VeltramondoTest";
        setup.title = "Veltramondo";
        setup.menu_name = "VELTRAMONDO";
        setup.width = 640;
        setup.height = 480;
        setup.window_x = setup.window_y = -1;
        setup.window_active = &active;
        setup.display_ready = &ready;
        setup.resolutions = resolutions;
    }

    void TearDown() override
    {
        if (started) kx_dsp_deinit();
        plat_display_inject_modes(nullptr, 0, 0);
        kx_io_deinit();
        plat_alert_capture(nullptr);
        plat_shutdown();
        unsetenv("U3_APP_DATA_PATH");
        fs::remove_all(dir);
    }

    int start()
    {
        int ok = kx_dsp_init(&setup);
        started = ok != 0;
        return ok;
    }

    void stop()
    {
        kx_dsp_deinit();
        started = false;
    }

    fs::path settings() const { return dir / "display.ini"; }
};

} // namespace dsp_test
