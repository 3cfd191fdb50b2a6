// gen_wrap_read: reads of the picture being drawn (snapshots, the tools' pictures, single pixels).
// A read is checked: a driver that refuses it leaves the buffer as it was, and the caller must
// not take that for the picture. RGBA is the one form every OpenGL and WebGL must read; RGB is
// made from it here.
#include "gen/gen_wrap.h"

#include "kx/kx_mem/kx_mem.h"

#include <GL/gl.h>

int gen_wrap_pixels_read(int gl_x, int gl_y, int width, int height, uint8_t *rgb)
{
    if (!rgb || width <= 0 || height <= 0) return 0;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    uint8_t *rgba = static_cast<uint8_t *>(kx_mem_malloc(pixels * 4));
    if (!rgba) return 0;
    // Errors left by earlier calls would be taken for the read's own.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; i++) {
    }
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(gl_x, gl_y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    const int read = glGetError() == GL_NO_ERROR;
    if (read)
        for (size_t i = 0; i < pixels; i++) {
            rgb[i * 3] = rgba[i * 4];
            rgb[i * 3 + 1] = rgba[i * 4 + 1];
            rgb[i * 3 + 2] = rgba[i * 4 + 2];
        }
    kx_mem_free(rgba);
    return read;
}
