// Shared set-up of the input tests: injected devices, the input module started on them, and
// small helpers to press keys and move the mouse.
#pragma once

#include "kx/kx_error/kx_error.h"
#include "kx/kx_inp/kx_inp.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace inp_test {

class InputTest : public ::testing::Test {
protected:
    int32_t settings[2] = {0, 0};
    uint8_t keys[256] = {};
    uint8_t buttons[4] = {};

    void SetUp() override
    {
        // Errors and named memory blocks work for the whole program once started.
        static int32_t quiet = 0;
        static KX_MEM_SETTINGS memory{0, 0};
        static int started = kx_error_init(&quiet) && kx_mem_init(&memory);
        ASSERT_TRUE(started);
        plat_input_inject_mode(1);
    }

    void TearDown() override
    {
        kx_inp_done();
        plat_input_inject_mode(0);
    }

    void start(int diagonal = 0)
    {
        settings[1] = diagonal;
        ASSERT_EQ(kx_inp_init(settings), 1);
    }

    void hold(const std::vector<int> &codes)
    {
        std::memset(keys, 0, sizeof keys);
        for (int c : codes) keys[c] = 0x80;
        plat_input_inject_keyboard(keys);
    }

    void poll_with_mouse(int dx, int dy)
    {
        plat_input_inject_mouse(dx, dy, buttons);
        kx_inp_update();
    }

    static PLAT_INJECT_JOYSTICK stick(int axes = 2, uint32_t fail = 0) { return PLAT_INJECT_JOYSTICK{axes, fail, {}, {}}; }

    // Gives an injected joystick a new state and polls twice (a pad is acquired by its first poll).
    static void set_stick(int32_t id, const PLAT_INJECT_JOYSTICK &j)
    {
        plat_input_inject_joystick_state(id, &j);
        kx_inp_update();
        kx_inp_update();
    }

    // kx_inp_key_down of `count` codes from `first`.
    static std::vector<int> down(int first, int count)
    {
        std::vector<int> v;
        for (int c = first; c < first + count; c++) v.push_back(kx_inp_key_down(c));
        return v;
    }
};

// `count` zeros with `value` at `at`.
inline std::vector<int> one_hot(int count, int at, int value)
{
    std::vector<int> v(count, 0);
    v[at] = value;
    return v;
}

} // namespace inp_test
