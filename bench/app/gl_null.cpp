// A do-nothing OpenGL for measurements, preloaded into the game: every OpenGL call the game
// makes returns at once, and presenting a frame does nothing. The game's own work (game steps,
// world walk, projection, sorting, vertex building, sprites, particles, overlay, sound) stays;
// the driver's work (state, vertex processing, rasterising, swapping) is gone. Queries answer
// with plausible values so that the game runs exactly as with a real driver.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

struct SDL_Window;

namespace {
GLuint next_texture = 1;
}

extern "C" {

void SDL_GL_SwapWindow(SDL_Window *) {}

void glAlphaFunc(GLenum, GLclampf) {}
void glBegin(GLenum) {}
void glBindTexture(GLenum, GLuint) {}
void glBlendFunc(GLenum, GLenum) {}
void glClear(GLbitfield) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glClearDepth(GLclampd) {}
void glClearIndex(GLfloat) {}
void glColor3ub(GLubyte, GLubyte, GLubyte) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glColorPointer(GLint, GLenum, GLsizei, const GLvoid *) {}
void glDeleteTextures(GLsizei, const GLuint *) {}
void glDisable(GLenum) {}
void glDisableClientState(GLenum) {}
void glDrawArrays(GLenum, GLint, GLsizei) {}
void glDrawElements(GLenum, GLsizei, GLenum, const GLvoid *) {}
void glEnable(GLenum) {}
void glEnableClientState(GLenum) {}
void glEnd() {}
void glFinish() {}
void glGenTextures(GLsizei n, GLuint *textures)
{
    for (GLsizei i = 0; i < n; i++)
        textures[i] = next_texture++;
}
GLenum glGetError()
{
    return GL_NO_ERROR;
}
void glGetIntegerv(GLenum name, GLint *params)
{
    if (name == GL_VIEWPORT || name == GL_SCISSOR_BOX)
        std::memset(params, 0, 4 * sizeof(GLint));
    else
        params[0] = name == GL_MAX_TEXTURE_SIZE ? 4096 : 0;
}
const GLubyte *glGetString(GLenum name)
{
    const char *text = name == GL_VENDOR ? "none" : name == GL_RENDERER ? "no driver" : name == GL_VERSION ? "1.1" : "";
    return reinterpret_cast<const GLubyte *>(text);
}
void glGetTexEnviv(GLenum, GLenum, GLint *params)
{
    params[0] = 0;
}
GLboolean glIsEnabled(GLenum)
{
    return GL_FALSE;
}
void glLoadIdentity() {}
void glMatrixMode(GLenum) {}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glPixelStorei(GLenum, GLint) {}
void glPolygonMode(GLenum, GLenum) {}
void glPopAttrib() {}
void glPopMatrix() {}
void glPushAttrib(GLbitfield) {}
void glPushMatrix() {}
void glReadBuffer(GLenum) {}
// Black pixels, for the formats the game reads (bytes, packed without row padding).
void glReadPixels(GLint, GLint, GLsizei width, GLsizei height, GLenum format, GLenum, GLvoid *pixels)
{
    size_t bytes = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1;
    std::memset(pixels, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * bytes);
}
void glScissor(GLint, GLint, GLsizei, GLsizei) {}
void glShadeModel(GLenum) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glTexCoordPointer(GLint, GLenum, GLsizei, const GLvoid *) {}
void glTexEnvi(GLenum, GLenum, GLint) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid *) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTexSubImage2D(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glVertex2f(GLfloat, GLfloat) {}
void glVertex3d(GLdouble, GLdouble, GLdouble) {}
void glVertex4d(GLdouble, GLdouble, GLdouble, GLdouble) {}
void glVertexPointer(GLint, GLenum, GLsizei, const GLvoid *) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
const GLubyte *gluGetString(GLenum)
{
    return reinterpret_cast<const GLubyte *>("1.3");
}

} // extern "C"
