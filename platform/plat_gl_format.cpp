// plat_gl_format on the desktop: the context is OpenGL's compatibility profile, whose fixed
// function the engine draws with; whether a swap keeps the back buffer depends on the driver.
#include "platform/plat_gl_local.h"

#include <SDL.h>

void plat_gl_context_ask()
{
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

int plat_gl_back_kept()
{
    return -1;
}
