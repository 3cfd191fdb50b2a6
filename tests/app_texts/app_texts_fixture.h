// Shared set-up of the texts tests: the engine modules the readers use, a scratch folder, and
// the fatal errors and alerts caught instead of shown.
#pragma once

#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_core.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

extern std::string game_error_text;
extern std::vector<std::string> alerts;

class TextsTest : public ::testing::Test {
protected:
    std::filesystem::path dir;

    void SetUp() override
    {
        static int32_t quiet = 0;
        static KX_MEM_SETTINGS memory{0, 0};
        static KX_IO_SETTINGS io{};
        static int started = kx_error_init(&quiet) && kx_mem_init(&memory) && kx_io_init(&io);
        ASSERT_TRUE(started);
        plat_alert_capture([](const char *text, const char *, unsigned) {
            alerts.push_back(text);
            return 1;
        });
        dir = std::filesystem::temp_directory_path() /
              ("vm_texts_" + std::to_string(getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        game_error_text.clear();
        alerts.clear();
    }

    void TearDown() override
    {
        plat_alert_capture(nullptr);
        std::filesystem::remove_all(dir);
    }

    std::string write(const std::string &name, const std::string &bytes)
    {
        std::filesystem::path p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
};
