// plat_splash on SDL2: the picture and its text are composed in memory (the text with the
// glyphs of Dear ImGui's built-in font) and shown on a borderless window's surface.
#include "platform/plat_splash.h"

#include <SDL.h>

#include <cstring>
#include <vector>

#if VM_HAVE_IMGUI
#include <imgui.h>
#include <imgui_internal.h>
#endif

namespace {

struct PLAT_SPLASH_STATE {
    SDL_Window *window;
    std::vector<uint8_t> pixels;
    int width, height;
};

PLAT_SPLASH_STATE splash;

// Blends the text into the picture with the alpha of each glyph.
void text_draw(const char *text, int x, int y, int r, int g, int b)
{
#if VM_HAVE_IMGUI
    if (!text || !*text) return;
    ImFontAtlas atlas;
    ImFont *font = atlas.AddFontDefault();
    unsigned char *alpha = nullptr;
    int aw = 0, ah = 0;
    atlas.GetTexDataAsAlpha8(&alpha, &aw, &ah);
    if (!font || !alpha) return;
    float pen = static_cast<float>(x);
    for (const char *p = text; *p;) {
        unsigned int c = 0;
        int used = ImTextCharFromUtf8(&c, p, nullptr);
        if (used <= 0) break;
        p += used;
        const ImFontGlyph *glyph = font->FindGlyph(static_cast<ImWchar>(c));
        if (!glyph) continue;
        int gx0 = static_cast<int>(glyph->U0 * aw), gy0 = static_cast<int>(glyph->V0 * ah);
        int gw = static_cast<int>((glyph->U1 - glyph->U0) * aw + 0.5f), gh = static_cast<int>((glyph->V1 - glyph->V0) * ah + 0.5f);
        int dx = static_cast<int>(pen + glyph->X0), dy = y + static_cast<int>(glyph->Y0);
        for (int j = 0; j < gh; j++) {
            for (int i = 0; i < gw; i++) {
                int px = dx + i, py = dy + j;
                if (px < 0 || py < 0 || px >= splash.width || py >= splash.height) continue;
                int a = alpha[(gy0 + j) * aw + gx0 + i];
                uint8_t *d = &splash.pixels[(static_cast<size_t>(py) * splash.width + px) * 4];
                d[0] = static_cast<uint8_t>((r * a + d[0] * (255 - a)) / 255);
                d[1] = static_cast<uint8_t>((g * a + d[1] * (255 - a)) / 255);
                d[2] = static_cast<uint8_t>((b * a + d[2] * (255 - a)) / 255);
            }
        }
        pen += glyph->AdvanceX;
    }
#else
    (void)text, (void)x, (void)y, (void)r, (void)g, (void)b;
#endif
}

} // namespace

int plat_splash_show(const uint8_t *rgba, int width, int height, const char *text, int x, int y, int r, int g, int b)
{
    plat_splash_close();
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return 0;
    splash.width = width;
    splash.height = height;
    splash.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    if (rgba) std::memcpy(splash.pixels.data(), rgba, splash.pixels.size());
    else
        for (size_t i = 3; i < splash.pixels.size(); i += 4) splash.pixels[i] = 255;
    text_draw(text, x, y, r, g, b);
    splash.window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                     SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR);
    if (!splash.window) return 0;
    SDL_Surface *target = SDL_GetWindowSurface(splash.window);
    SDL_Surface *picture = SDL_CreateRGBSurfaceWithFormatFrom(splash.pixels.data(), width, height, 32, width * 4,
                                                              SDL_PIXELFORMAT_ABGR8888);
    if (target && picture) {
        SDL_BlitSurface(picture, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(splash.window);
    }
    if (picture) SDL_FreeSurface(picture);
    SDL_PumpEvents();
    return 1;
}

void plat_splash_close()
{
    // Destroying the splash leaves no OpenGL context current (SDL's X11 back end); the main
    // window's one must stay current, or a game that starts in fullscreen draws nothing.
    SDL_Window *gl_window = SDL_GL_GetCurrentWindow();
    SDL_GLContext gl_context = SDL_GL_GetCurrentContext();
    if (splash.window) SDL_DestroyWindow(splash.window);
    if (gl_window && gl_context) SDL_GL_MakeCurrent(gl_window, gl_context);
    splash.window = nullptr;
    splash.pixels.clear();
    splash.width = splash.height = 0;
}

int plat_splash_shown()
{
    return splash.window != nullptr;
}

const uint8_t *plat_splash_pixels(int *width, int *height)
{
    if (!splash.window) return nullptr;
    if (width) *width = splash.width;
    if (height) *height = splash.height;
    return splash.pixels.data();
}
