// plat_gl under node: the headless build has no WebGL, so the window carries no context and
// every OpenGL call the engine makes returns at once. Queries answer as a plain OpenGL 1.1
// driver would, so that the game runs, and steps, exactly as with a real one; reads of the
// picture fail, as they must where nothing is drawn.
#include "platform/plat_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

namespace {

struct PLAT_GL_STATE {
    int exists;
    int picture_lost;
    GLuint next_texture;
    GLenum error;   // a read of the picture fails: there is none
};

PLAT_GL_STATE plat_gl{0, 0, 1, GL_NO_ERROR};

} // namespace

uint32_t plat_gl_window_flags()
{
    return 0;
}

int plat_gl_create()
{
    plat_gl.exists = 1;
    plat_gl.picture_lost = 1;
    return 1;
}

void plat_gl_destroy()
{
    plat_gl.exists = 0;
}

int plat_gl_exists()
{
    return plat_gl.exists;
}

int plat_gl_make_current()
{
    return plat_gl.exists;
}

void plat_gl_swap()
{
}

int plat_gl_vsync()
{
    return 0;
}

int plat_gl_refresh_rate()
{
    return 0;
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

int plat_gl_back_kept()
{
    return 0;
}

int plat_gl_picture_is_lost()
{
    return plat_gl.picture_lost;
}

void plat_gl_drawable_size(int *width, int *height)
{
    if (width) *width = 0;
    if (height) *height = 0;
}

void *plat_gl_proc_address(const char *)
{
    return nullptr;
}

void plat_gl_bits(int *color, int *depth, int *stencil)
{
    if (color) *color = 32;
    if (depth) *depth = 0;
    if (stencil) *stencil = 0;
}

const char *plat_gl_error()
{
    return "";
}

int plat_gl_pixels_read(uint8_t *, int, int, int)
{
    return 0;
}

void plat_gl_attributes_set(int)
{
}

void plat_gl_clear()
{
}

void plat_gl_drivers_pin()
{
}

extern "C" {

void glAlphaFunc(GLenum, GLclampf) {}
void glBindTexture(GLenum, GLuint) {}
void glBlendFunc(GLenum, GLenum) {}
void glClear(GLbitfield) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glClearDepth(GLclampd) {}
void glClearIndex(GLfloat) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glDeleteTextures(GLsizei, const GLuint *) {}
void glDisable(GLenum) {}
void glDisableClientState(GLenum) {}
void glDrawArrays(GLenum, GLint, GLsizei) {}
void glDrawElements(GLenum, GLsizei, GLenum, const GLvoid *) {}
void glEnable(GLenum) {}
void glColorPointer(GLint, GLenum, GLsizei, const GLvoid *) {}
void glEnableClientState(GLenum) {}
void glFinish() {}
void glGenTextures(GLsizei n, GLuint *textures)
{
    for (GLsizei i = 0; i < n; i++) textures[i] = plat_gl.next_texture++;
}
GLenum glGetError()
{
    GLenum error = plat_gl.error;
    plat_gl.error = GL_NO_ERROR;
    return error;
}
void glGetIntegerv(GLenum name, GLint *params)
{
    if (name == GL_VIEWPORT || name == GL_SCISSOR_BOX) std::memset(params, 0, 4 * sizeof(GLint));
    else params[0] = name == GL_MAX_TEXTURE_SIZE ? 4096 : 0;
}
const GLubyte *glGetString(GLenum name)
{
    const char *text = name == GL_VENDOR ? "none" : name == GL_RENDERER ? "no driver" : name == GL_VERSION ? "1.1" : "";
    return reinterpret_cast<const GLubyte *>(text);
}
void glLoadIdentity() {}
void glMatrixMode(GLenum) {}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glPixelStorei(GLenum, GLint) {}
void glPopMatrix() {}
void glPushMatrix() {}
void glReadBuffer(GLenum) {}
void glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid *)
{
    plat_gl.error = GL_INVALID_OPERATION;
}
void glScissor(GLint, GLint, GLsizei, GLsizei) {}
void glTexCoordPointer(GLint, GLenum, GLsizei, const GLvoid *) {}
void glTexEnvi(GLenum, GLenum, GLint) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid *) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTexSubImage2D(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glVertexPointer(GLint, GLenum, GLsizei, const GLvoid *) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
const GLubyte *gluGetString(GLenum)
{
    return reinterpret_cast<const GLubyte *>("1.3");
}

} // extern "C"
