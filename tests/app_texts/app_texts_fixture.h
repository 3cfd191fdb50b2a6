// Shared set-up of the texts tests: the engine modules the readers use, a scratch folder, and
// the fatal errors and alerts caught instead of shown.
#pragma once

#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_core.h"
#include "tests/game_error_capture.h"
#include "tests/kx_io/kx_io_test_util.h"

#include <string>
#include <vector>

extern std::vector<std::string> alerts;

class TextsTest : public kxio_test::IoTest {
protected:
    void SetUp() override
    {
        static KX_MEM_SETTINGS memory{0, 0};
        static int memory_started = kx_mem_init(&memory);
        ASSERT_TRUE(memory_started);
        IoTest::SetUp();
        ASSERT_EQ(start(), 1);
        plat_alert_capture([](const char *text, const char *, unsigned) {
            alerts.push_back(text);
            return 1;
        });
        game_errors_capture();
        alerts.clear();
    }

    void TearDown() override
    {
        plat_alert_capture(nullptr);
        IoTest::TearDown();
    }

    std::string write(const std::string &name, const std::string &bytes)
    {
        kxio_test::write_file(dir / name, bytes);
        return (dir / name).string();
    }
};
