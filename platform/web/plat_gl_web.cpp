// plat_gl in the browser: WebGL through emscripten's fixed-function emulation lacks a few entry
// points of OpenGL 1.1 that the engine and the window menu call. They are given here with what
// WebGL can do: no colour-index mode; no attribute stack, so the state the window menu's drawer
// changes stays changed (the frames after it still match the desktop's: the page's test compares
// one); reads always from the frame being drawn. The drivers are the browser's own.
#include "platform/plat_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

void plat_gl_drivers_pin()
{
}

extern "C" {

void glClearIndex(GLfloat)
{
}

void glPushAttrib(GLbitfield)
{
}

void glPopAttrib()
{
}

void glReadBuffer(GLenum)
{
}

const GLubyte *gluGetString(GLenum name)
{
    const char *text = name == GLU_VERSION ? "1.3" : "";
    return reinterpret_cast<const GLubyte *>(text);
}

} // extern "C"
