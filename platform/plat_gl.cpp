// plat_gl on SDL2: the main window's OpenGL context. The only file that calls SDL_GL_*.
#include "platform/plat_gl.h"

#include "platform/plat_core.h"
#include "platform/plat_gl_local.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cstring>
#include <vector>

namespace {

struct PLAT_GL_STATE {
    SDL_GLContext context;
    const char *error;
    int vsync;          // swaps wait for the display's refresh
    int picture_lost;   // the window's picture must be drawn again
};

PLAT_GL_STATE plat_gl;

SDL_Window *window()
{
    return static_cast<SDL_Window *>(plat_window_handle());
}

} // namespace

// The pixel format is chosen when the window is made, so the window asks for it first. A
// second try (`fallback`) drops the alpha channel. No depth or stencil buffer: nothing draws
// with them (the picture is painted far to near), and with one attached a software renderer
// leaves its fast paths for every pixel of the frame.
void plat_gl_attributes_set(int fallback)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, fallback ? 0 : 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    plat_gl_context_ask();
}

uint32_t plat_gl_window_flags()
{
    return SDL_WINDOW_OPENGL;
}

int plat_gl_create()
{
    if (plat_gl.context) return plat_gl_make_current();
    if (!window()) {
        plat_gl.error = "no window";
        return 0;
    }
    plat_gl.context = SDL_GL_CreateContext(window());
    if (!plat_gl.context) {
        plat_gl.error = SDL_GetError();
        return 0;
    }
    plat_gl.error = nullptr;
    plat_gl_drivers_pin();
    // Adaptive vsync (a late frame is shown at once) where the driver has it, else plain vsync.
    // Without a display nothing waits for a refresh, whatever the driver answers.
    bool waits = SDL_GL_SetSwapInterval(-1) == 0 || SDL_GL_SetSwapInterval(1) == 0;
    plat_gl.vsync = waits && plat_display_available() && SDL_GL_GetSwapInterval() != 0;
    plat_gl.picture_lost = 1;
    return 1;
}

void plat_gl_destroy()
{
    if (plat_gl.context) SDL_GL_DeleteContext(plat_gl.context);
    plat_gl.context = nullptr;
    plat_gl.vsync = 0;
}

int plat_gl_vsync()
{
    return plat_gl.context && plat_gl.vsync;
}

int plat_gl_refresh_rate()
{
    SDL_DisplayMode mode;
    int display = window() ? SDL_GetWindowDisplayIndex(window()) : 0;
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return 0;
    return mode.refresh_rate > 0 ? mode.refresh_rate : 0;
}

void plat_gl_picture_lost()
{
    plat_gl.picture_lost = 1;
}

int plat_gl_picture_lost_take()
{
    int lost = plat_gl.picture_lost;
    plat_gl.picture_lost = 0;
    return lost;
}

int plat_gl_picture_is_lost()
{
    return plat_gl.picture_lost;
}

int plat_gl_exists()
{
    return plat_gl.context != nullptr;
}

int plat_gl_make_current()
{
    if (!plat_gl.context || !window()) return 0;
    if (SDL_GL_MakeCurrent(window(), plat_gl.context) != 0) {
        plat_gl.error = SDL_GetError();
        return 0;
    }
    return 1;
}

// A display's swap waits for the frame it shows. An offscreen window has no display to wait for,
// so the frame is finished here: otherwise a software driver queues frame after frame, and its
// memory grows with the backlog (past a gigabyte on a busy machine).
void plat_gl_swap()
{
    if (!plat_gl.context || !window()) return;
    SDL_GL_SwapWindow(window());
    if (!plat_display_available()) glFinish();
}

void plat_gl_drawable_size(int *width, int *height)
{
    int w = 0, h = 0;
    if (window()) SDL_GL_GetDrawableSize(window(), &w, &h);
    if (width) *width = w;
    if (height) *height = h;
}

void *plat_gl_proc_address(const char *name)
{
    return name ? SDL_GL_GetProcAddress(name) : nullptr;
}

void plat_gl_bits(int *color, int *depth, int *stencil)
{
    int r = 0, g = 0, b = 0, a = 0, d = 0, s = 0;
    if (plat_gl.context) {
        SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &r);
        SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &g);
        SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &b);
        SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &a);
        SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &d);
        SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &s);
    }
    if (color) *color = r + g + b + a;
    if (depth) *depth = d;
    if (stencil) *stencil = s;
}

const char *plat_gl_error()
{
    return plat_gl.error ? plat_gl.error : "";
}

int plat_gl_pixels_read(uint8_t *rgb, int width, int height, int front)
{
    if (!rgb || width <= 0 || height <= 0 || !plat_gl_make_current()) return 0;
    // Errors left by earlier calls would be taken for the read's own.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; i++) {
    }
    // RGBA reads are the one form every OpenGL (and WebGL) must offer; RGB is made from them.
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 4);
    glReadBuffer(front ? GL_FRONT : GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    const bool read = glGetError() == GL_NO_ERROR;
    glReadBuffer(GL_BACK);
    if (!read) return 0;
    // OpenGL counts rows from the bottom.
    for (int y = 0; y < height; y++) {
        const uint8_t *from = rows.data() + static_cast<size_t>(width) * 4 * (height - 1 - y);
        uint8_t *to = rgb + static_cast<size_t>(width) * 3 * y;
        for (int x = 0; x < width; x++, from += 4, to += 3) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
    return 1;
}

void plat_gl_clear()
{
    if (!plat_gl_make_current()) return;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}
