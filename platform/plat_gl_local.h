// plat_gl_local: what plat_gl leaves to the file of each platform.
#pragma once

// Asks for the kind of context the platform draws with (SDL_GL_* attributes): OpenGL's
// compatibility profile on the desktop, OpenGL ES 2 (WebGL) in the browser.
void plat_gl_context_ask();
