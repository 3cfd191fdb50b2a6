// kx_font module: start and stop, error texts, and the UTF-8 decoder every text goes through.
#include "kx/kx_font/kx_font_local.h"

#include "kx/kx_error/kx_error.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

KX_FONT_STATE kx_font_state = {nullptr, -1, nullptr, nullptr, 0};

const char *const kx_font_error_texts[] = {
    "Invalid font pointer",
    "Couldn't find the font file",
    "Invalid font file format",
    "Not enough free memory to load the font",
    "Couldn't load the font palette",
    "Some characters couldn't be loaded. The text might be displayed incorrectly",
    "A character is defined more than once in the font",
    "Couldn't reallocate the memory to load an animated character",
    "The size of the bitmap is smaller than the size of the character",
    "The string isn't UTF-8 compliant",
    nullptr,
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

void kx_font_raise(int code, const char *detail_format, ...)
{
    va_list ap;
    va_start(ap, detail_format);
    std::vsnprintf(kx_error_pending.detail, sizeof kx_error_pending.detail, detail_format ? detail_format : "", ap);
    va_end(ap);
    kx_error_raise(kx_font_report(), kx_font_state.module, code);
}

int kx_font_init(int32_t *report)
{
    kx_font_state.report = report;
    kx_font_state.module = kx_error_register("Font", kx_font_error_texts);
    if (kx_font_state.text) return 1;
    kx_font_state.text = static_cast<char *>(kx_mem_malloc(KX_FONT_TEXT_SIZE));
    if (!kx_font_state.text) return 0;
    kx_mem_name(kx_font_state.text, "kx_font text buffer");
    kx_font_state.text[0] = 0;
    return 1;
}

void kx_font_done()
{
    if (kx_font_state.text) kx_mem_free(kx_font_state.text);
    if (kx_font_state.codes) kx_mem_free(kx_font_state.codes);
    kx_font_state.text = nullptr;
    kx_font_state.codes = nullptr;
    kx_font_state.capacity = 0;
}

// Makes room for entry `index` plus the closing 0. False when the array is full and may not grow.
static bool kx_font_codes_room(uint32_t **codes, int *capacity, int index, bool grow)
{
    if (index + 1 < *capacity) return true;
    if (!grow) return false;
    int wanted = *capacity < 16 ? 32 : *capacity * 2;
    void *grown = kx_mem_realloc(*codes, sizeof(uint32_t) * static_cast<size_t>(wanted));
    if (!grown) return false;
    char label[64];
    std::snprintf(label, sizeof label, "kx_font_utf_8_to_unicode buffer [%d]", wanted);
    kx_mem_name(grown, label);
    *codes = static_cast<uint32_t *>(grown);
    *capacity = wanted;
    return true;
}

int kx_font_utf_8_to_unicode(uint32_t **codes, int *capacity, const char *text, int mode)
{
    if (!codes || !capacity || !text) return 0;
    if (*capacity < 0 || (*capacity > 0 && !*codes)) return 0;
    bool grow = (mode & KX_FONT_UTF_GROW) != 0;
    bool check = (mode & KX_FONT_UTF_CHECK) && kx_font_report();
    const uint8_t *p = reinterpret_cast<const uint8_t *>(text);
    int count = 0;
    while (*p) {
        uint8_t lead = *p;
        int length;
        uint32_t code;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            p++;   // a continuation byte or an invalid lead byte on its own
            continue;
        }
        // The text's end always ends a sequence, whatever the mode: nothing is read past it.
        int got = 1;
        bool bad = false;
        for (; got < length && p[got]; got++) {
            if ((p[got] & 0xC0) != 0x80) bad = true;
            code = code << 6 | (p[got] & 0x3F);
        }
        if (got < length) bad = true;
        if (bad && check) {
            static const char *const forms[] = {
                "In %s, %c is an invalid UTF-8 code",
                "In %s, %c is an invalid UTF-8 code",
                "In %s, %c%c%c is an invalid UTF-8 code",
                "In %s, %c%c%c%c is an invalid UTF-8 code",
            };
            kx_font_raise(KX_FONT_ERR_UTF_8, forms[length - 1], text, p[0], got > 1 ? p[1] : 0, got > 2 ? p[2] : 0,
                          got > 3 ? p[3] : 0);
            p++;
            continue;
        }
        if (got < length) break;
        if (!kx_font_codes_room(codes, capacity, count, grow)) break;
        (*codes)[count++] = code;
        p += length;
    }
    if (*capacity > 0) (*codes)[count] = 0;
    return count;
}
