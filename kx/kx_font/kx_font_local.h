// kx_font internals shared by the module's files; not for use outside kx_font.
#pragma once

#include "kx/kx_font/kx_font.h"

// Module state: report flag, module number, the formatted-text buffer and the code points of
// the last decoded string.
struct KX_FONT_STATE {
    int32_t *report;
    int module;
    char *text;
    uint32_t *codes;
    int capacity;
};
extern KX_FONT_STATE kx_font_state;

inline int kx_font_report()
{
    return kx_font_state.report && *kx_font_state.report;
}

// Records the error (with a printf-style detail) and reports it under the report flag.
void kx_font_raise(int code, const char *detail_format, ...);

// Decoding mode of a font's texts: version 2 fonts also check continuation bytes.
inline int kx_font_utf_mode(const KX_FONT *font)
{
    return font->version == 2 ? KX_FONT_UTF_GROW | KX_FONT_UTF_CHECK : KX_FONT_UTF_GROW;
}
