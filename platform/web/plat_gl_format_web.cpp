// plat_gl_format in the browser: WebGL is OpenGL ES 2, which emscripten's fixed-function
// emulation turns into the OpenGL 1.1 the engine draws with. The canvas is cleared once the
// browser has shown it (a read right after the swap still finds the pixels, so a test would lie).
#include "platform/plat_gl_local.h"

#include <SDL.h>

void plat_gl_context_ask()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    // An opaque canvas: the page's compositor copies it instead of blending it over the page.
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
}

int plat_gl_back_kept()
{
    return 0;
}
