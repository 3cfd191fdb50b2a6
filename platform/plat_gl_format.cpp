// plat_gl_format on the desktop: the pixel format and context the window asks for.
#include "platform/plat_gl.h"

#include <SDL.h>

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
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}
