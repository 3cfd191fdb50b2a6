// kx_font loading and freeing: reads a ".fnt" string file, cuts the glyph rows out of still
// images and FLIC animations, adds a blank space when the font has none, applies the
// "MapSrc"/"MapDst" aliases and sorts the character table.
#include "kx/kx_font/kx_font_local.h"

#include "kx/kx_font/kx_anim.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

namespace {

constexpr int FONT_LINE_SIZE = 1024;
constexpr int FONT_TABLE_STEP = 10;
constexpr uint32_t FONT_SPACE = 32;
// Counts read from the file are held to these, so a damaged file cannot keep the loader busy.
constexpr int FONT_MAX_FILES = 1000;
constexpr int FONT_MAX_LINES = 1000;

// One load in progress.
struct FONT_LOAD {
    KX_FONT *font;
    const char *file;                   // the ".fnt" file
    char folder[KX_IO_PATH_MAX];        // its folder: every file it names is taken from there
    int flags;                          // extra image loader options
    bool incomplete;                    // a section, row or character had to be skipped
    bool fatal;                         // out of memory: the load fails
    uint32_t *codes;                    // code points of the row being read
    int capacity;
};

// A character of a section waiting for its frames, and where it sits in the picture.
struct FONT_SLOT {
    KX_FONT_CHAR_DATA *data;
    int x, y;
};

// A window inside an image or animation frame.
struct FONT_WINDOW {
    int x, y, width, height;
};

// ---------------------------------------------------------------------------------------------
// Functions: string file access
// ---------------------------------------------------------------------------------------------

int ini_string(FONT_LOAD &l, const char *section, const char *key, char *buffer, int size)
{
    return kx_io_ini_get_string(section, key, buffer, size, l.file);
}

// An integer key; false when the key is missing or empty.
bool ini_int(FONT_LOAD &l, const char *section, const char *key, int *value)
{
    return kx_io_ini_get_int(section, key, value, l.file) > 0;
}

// A name given in the font file, taken from the font file's folder.
void font_path(const FONT_LOAD &l, const char *name, char *out)
{
    int n = std::snprintf(out, KX_IO_PATH_MAX, "%s%s", l.folder, name);
    if (n < 0 || n >= KX_IO_PATH_MAX) out[0] = 0;   // too long a path names no file
}

// ---------------------------------------------------------------------------------------------
// Functions: the character table
// ---------------------------------------------------------------------------------------------

// Index of `code` in the (not yet sorted) table, or -1.
int table_find(const KX_FONT *font, uint32_t code)
{
    for (int i = 0; i < font->count; i++)
        if (font->chars[i].code == code) return i;
    return -1;
}

// Appends an entry; the table grows 10 entries at a time.
bool table_append(FONT_LOAD &l, uint32_t code, int32_t owns, KX_FONT_CHAR_DATA *data)
{
    KX_FONT *font = l.font;
    if (font->count == font->capacity) {
        void *grown = kx_mem_realloc(font->chars, sizeof(KX_FONT_CHAR) * static_cast<size_t>(font->capacity + FONT_TABLE_STEP));
        if (!grown) {
            kx_font_raise(KX_FONT_ERR_MEMORY, "%s", l.file);
            l.fatal = true;
            return false;
        }
        font->chars = static_cast<KX_FONT_CHAR *>(grown);
        font->capacity += FONT_TABLE_STEP;
        kx_mem_name(grown, "KX_FONT character table");
    }
    font->chars[font->count++] = {code, owns, data};
    return true;
}

// A new owned character without frames, or null when the code is taken (error 6) or memory ran out.
KX_FONT_CHAR_DATA *char_create(FONT_LOAD &l, uint32_t code)
{
    if (table_find(l.font, code) >= 0) {
        if (code < 256)
            kx_font_raise(KX_FONT_ERR_DUPLICATE, "%c", static_cast<int>(code));
        else
            kx_font_raise(KX_FONT_ERR_DUPLICATE, "%04x", static_cast<unsigned>(code));
        return nullptr;
    }
    auto *data = static_cast<KX_FONT_CHAR_DATA *>(kx_mem_calloc(1, sizeof(KX_FONT_CHAR_DATA)));
    if (!data) {
        kx_font_raise(KX_FONT_ERR_MEMORY, "%s", l.file);
        l.fatal = true;
        return nullptr;
    }
    kx_mem_name(data, "KX_CHAR");
    if (!table_append(l, code, 1, data)) {
        kx_mem_free(data);
        return nullptr;
    }
    return data;
}

// Appends a frame (taking over its bitmap); false with error 7 when the frame array cannot grow.
bool char_add_frame(FONT_LOAD &l, KX_FONT_CHAR_DATA *data, KX_FONT_FRAME *frame)
{
    if (data->frame_count == UINT16_MAX) return false;
    void *grown = kx_mem_realloc(data->frames, sizeof(KX_FONT_FRAME) * (data->frame_count + 1u));
    if (!grown) {
        kx_font_raise(KX_FONT_ERR_FRAMES, "%s", l.file);
        return false;
    }
    kx_mem_name(grown, "KX_CHAR_DATA");
    data->frames = static_cast<KX_FONT_FRAME *>(grown);
    data->frames[data->frame_count++] = *frame;
    return true;
}

void char_data_free(KX_FONT_CHAR_DATA *data)
{
    for (int f = 0; f < data->frame_count; f++) kx_bit_free(&data->frames[f].bitmap);
    if (data->frames) kx_mem_free(data->frames);
    kx_mem_free(data);
}

// Drops the characters that ended up without a single frame.
void table_prune(KX_FONT *font)
{
    int kept = 0;
    for (int i = 0; i < font->count; i++) {
        if (font->chars[i].data->frame_count == 0) {
            char_data_free(font->chars[i].data);
            continue;
        }
        font->chars[kept++] = font->chars[i];
    }
    font->count = kept;
}

// ---------------------------------------------------------------------------------------------
// Functions: cutting glyphs
// ---------------------------------------------------------------------------------------------

int depth_bytes(int depth)
{
    return depth == 8 ? 1 : depth == 15 || depth == 16 ? 2 : depth == 24 ? 3 : depth == 32 ? 4 : 0;
}

// Whether a pixel is drawn by the transparent blitter (index 0 and magenta are not).
bool pixel_ink(int bytes, const uint8_t *p)
{
    switch (bytes) {
    case 1: return p[0] != 0;
    case 2: return (p[0] | p[1] << 8) != 0x7C1F;
    case 3: return !(p[0] == 255 && p[1] == 0 && p[2] == 255);
    default: return p[3] != 0 && !(p[0] == 255 && p[1] == 0 && p[2] == 255);
    }
}

// The columns of the glyph that hold ink; a blank glyph gets a third of its width.
KX_RECT glyph_extent(const KX_BITMAP &b)
{
    int bytes = depth_bytes(b.depth);
    int first = b.width, last = -1;
    for (int y = 0; y < b.height; y++) {
        const uint8_t *row = b.pixels + static_cast<size_t>(y) * b.width * bytes;
        for (int x = 0; x < b.width; x++) {
            if (!pixel_ink(bytes, row + x * bytes)) continue;
            if (x < first) first = x;
            if (x > last) last = x;
        }
    }
    if (last < 0) return {0, 0, static_cast<int16_t>(b.width / 3 > 0 ? b.width / 3 : 1), b.height};
    return {static_cast<int16_t>(first), 0, static_cast<int16_t>(last - first + 1), b.height};
}

// Cuts the w x h glyph at (x, y) of `image` (already known to lie inside it) into a new frame.
bool glyph_cut(FONT_LOAD &l, const KX_BITMAP &image, KX_PALETTE *palette, int x, int y, int w, int h,
               KX_FONT_FRAME *frame)
{
    std::memset(frame, 0, sizeof *frame);
    KX_RECT rect = {0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)};
    if (!kx_bit_alloc(&frame->bitmap, &rect, image.depth)) {
        kx_font_raise(KX_FONT_ERR_MEMORY, "%s", l.file);
        l.fatal = true;
        return false;
    }
    int bytes = depth_bytes(image.depth);
    for (int row = 0; row < h; row++)
        std::memcpy(frame->bitmap.pixels + static_cast<size_t>(row) * w * bytes,
                    image.pixels + (static_cast<size_t>(y + row) * image.width + x) * bytes, static_cast<size_t>(w) * bytes);
    frame->bitmap.flags = image.flags & KX_BIT_FLAG_TRANSPARENT;
    frame->bitmap.transparent = image.transparent;
    if (palette) {
        palette->references++;
        frame->bitmap.palette = palette;
    }
    frame->place.source = {static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(w), static_cast<int16_t>(h)};
    frame->place.extent = glyph_extent(frame->bitmap);
    return true;
}

// Adds one frame cut from `image` to every waiting character of a section.
void slots_cut(FONT_LOAD &l, FONT_SLOT *slots, int count, const KX_BITMAP &image, KX_PALETTE *palette, int w, int h)
{
    for (int i = 0; i < count && !l.fatal; i++) {
        if (!slots[i].data) continue;
        KX_FONT_FRAME frame;
        if (!glyph_cut(l, image, palette, slots[i].x, slots[i].y, w, h, &frame)) return;
        if (!char_add_frame(l, slots[i].data, &frame)) {
            kx_bit_free(&frame.bitmap);
            l.incomplete = true;
            slots[i].data = nullptr;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Functions: file sections
// ---------------------------------------------------------------------------------------------

// Reads the rows of a section and creates their characters. Characters that fall outside the
// window are left out (error 8 under the report flag). Returns the slots (a kx_mem block) or null.
FONT_SLOT *section_rows(FONT_LOAD &l, const char *section, const char *image_name, int lines, const FONT_WINDOW &win,
                        int w, int h, int *slot_count)
{
    *slot_count = 0;
    FONT_SLOT *slots = nullptr;
    int capacity = 0;
    char text[FONT_LINE_SIZE + 1];
    char key[16];
    for (int r = 1; r <= lines && !l.fatal; r++) {
        std::snprintf(key, sizeof key, "Line%03d", r);
        if (!ini_string(l, section, key, text, FONT_LINE_SIZE)) {
            l.incomplete = true;
            continue;
        }
        int n = kx_font_utf_8_to_unicode(&l.codes, &l.capacity, text, kx_font_utf_mode(l.font));
        if (n == 0) continue;
        bool too_narrow = static_cast<long>(n) * w > win.width;
        bool too_low = static_cast<long>(r) * h > win.height;
        if (too_narrow || too_low) {
            if (kx_font_report())
                kx_font_raise(KX_FONT_ERR_BITMAP_SIZE, "Bitmap %s [%s] is %dx%d, and characters \"%s\" are %dx%d", image_name,
                              section, win.width, win.height, text, n * w, r * h);
            l.incomplete = true;
            if (too_low) break;   // every further row lies lower still
            n = win.width / w;
        }
        if (*slot_count + n > capacity) {
            int wanted = *slot_count + n + 16;
            void *grown = kx_mem_realloc(slots, sizeof(FONT_SLOT) * static_cast<size_t>(wanted));
            if (!grown) {
                kx_font_raise(KX_FONT_ERR_MEMORY, "%s", l.file);
                l.fatal = true;
                break;
            }
            slots = static_cast<FONT_SLOT *>(grown);
            capacity = wanted;
        }
        for (int i = 0; i < n && !l.fatal; i++) {
            FONT_SLOT &s = slots[(*slot_count)++];
            s.data = char_create(l, l.codes[i]);
            s.x = win.x + i * w;
            s.y = win.y + (r - 1) * h;
        }
    }
    return slots;
}

// Type 1 and 2 sections: a still image cut in cells.
void section_image(FONT_LOAD &l, const char *section, const char *name, int type, int lines)
{
    int w = l.font->width, h = l.font->height;
    if (type == 2) {
        ini_int(l, section, "Width", &w);
        ini_int(l, section, "Height", &h);
        if (w > KX_BIT_MAX_SIDE || h > KX_BIT_MAX_SIDE) w = 0;
    }
    char path[KX_IO_PATH_MAX];
    font_path(l, name, path);
    KX_BITMAP image = {};
    if (w <= 0 || h <= 0 || !kx_bit_load(&image, path, KX_BIT_LOAD_PALETTE | l.flags)) {
        l.incomplete = true;
        return;
    }
    if (image.depth == 4) kx_bit_convert(&image, KX_BIT_BPP8);
    if (!depth_bytes(image.depth) || (image.flags & KX_BIT_FLAG_FOREIGN)) {
        kx_bit_free(&image);
        l.incomplete = true;
        return;
    }
    FONT_WINDOW win = {0, 0, image.width, image.height};
    int count;
    FONT_SLOT *slots = section_rows(l, section, path, lines, win, w, h, &count);
    KX_PALETTE *palette = l.font->palette ? l.font->palette : image.palette;
    slots_cut(l, slots, count, image, palette, w, h);
    if (slots) kx_mem_free(slots);
    kx_bit_free(&image);
}

// The bounding box of the non-zero pixels over every frame; false when there are none.
bool anim_bounding_box(KX_ANIM *anim, FONT_WINDOW *box)
{
    int x0 = anim->width, y0 = anim->height, x1 = -1, y1 = -1;
    int frames = anim->frame_count ? anim->frame_count : 1;
    for (int f = 0; f < frames; f++) {
        anim_frame_next(anim, 1);
        for (int y = 0; y < anim->height; y++) {
            const uint8_t *row = anim->pixels + static_cast<size_t>(y) * anim->width;
            for (int x = 0; x < anim->width; x++) {
                if (!row[x]) continue;
                if (x < x0) x0 = x;
                if (x > x1) x1 = x;
                if (y < y0) y0 = y;
                if (y > y1) y1 = y;
            }
        }
    }
    anim_rewind(anim);
    anim_clear(anim);
    if (x1 < 0) return false;
    *box = {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
    return true;
}

// Types 4 to 7: every frame of an animation cut the same way; each adds a frame to the row's
// characters. Types 5 and 7 take a window of the frames; 4 and 6 the whole frame.
void section_anim(FONT_LOAD &l, const char *section, const char *name, int type, int lines)
{
    char path[KX_IO_PATH_MAX];
    font_path(l, name, path);
    KX_ANIM anim;
    if (!anim_open(&anim, path, 2)) {
        l.incomplete = true;
        return;
    }
    FONT_WINDOW win = {0, 0, anim.width, anim.height};
    if (type == 5 || type == 7) {
        win = {0, 0, 0, 0};
        ini_int(l, section, "X", &win.x);
        ini_int(l, section, "Y", &win.y);
        ini_int(l, section, "Width", &win.width);
        ini_int(l, section, "Height", &win.height);
        if (win.width == 0 && win.height == 0 && !anim_bounding_box(&anim, &win)) win = {0, 0, 0, 0};
        // The window never reaches outside the frame.
        if (win.x < 0 || win.y < 0 || win.x >= anim.width || win.y >= anim.height) win = {0, 0, 0, 0};
        if (win.width > anim.width - win.x) win.width = anim.width - win.x;
        if (win.height > anim.height - win.y) win.height = anim.height - win.y;
    }
    int w = l.font->width, h = win.height / lines;
    if (win.width <= 0 || h <= 0) {
        anim_close(&anim);
        l.incomplete = true;
        return;
    }
    int count;
    FONT_SLOT *slots = section_rows(l, section, path, lines, win, w, h, &count);
    KX_BITMAP frame = {};
    frame.width = static_cast<int16_t>(anim.width);
    frame.height = static_cast<int16_t>(anim.height);
    frame.depth = KX_BIT_BPP8;
    frame.pixels = anim.pixels;
    KX_PALETTE *copy = nullptr;
    int frames = anim.frame_count ? anim.frame_count : 1;
    for (int f = 0; f < frames && !l.fatal; f++) {
        anim.palette_changed = 0;
        anim_frame_next(&anim, 1);
        if (!l.font->palette && (anim.palette_changed || !copy)) {
            if (copy) kx_pal_free(copy);
            copy = kx_pal_alloc(anim.palette, 256, 1);
        }
        slots_cut(l, slots, count, frame, l.font->palette ? l.font->palette : copy, w, h);
    }
    if (copy) kx_pal_free(copy);
    if (slots) kx_mem_free(slots);
    anim_close(&anim);
}

void section_file(FONT_LOAD &l, int index)
{
    char section[16];
    std::snprintf(section, sizeof section, l.font->version == 2 ? "File%06d" : "File%03d", index);
    char name[FONT_LINE_SIZE + 1];
    int type = 0, lines = 0;
    if (!ini_string(l, section, "Name", name, FONT_LINE_SIZE) || !ini_int(l, section, "Type", &type) ||
        !(ini_int(l, section, "NumLines", &lines) || ini_int(l, section, "NbLines", &lines)) || lines <= 0 ||
        lines > FONT_MAX_LINES) {
        l.incomplete = true;
        return;
    }
    if (type == 1 || type == 2)
        section_image(l, section, name, type, lines);
    else if (type >= 4 && type <= 7)
        section_anim(l, section, name, type, lines);
    table_prune(l.font);
}

// A blank space of the cell size in the first character's pixel format.
void space_add(FONT_LOAD &l)
{
    KX_FONT *font = l.font;
    const KX_BITMAP *first = font->count ? &font->chars[0].data->frames[0].bitmap : nullptr;
    auto *data = static_cast<KX_FONT_CHAR_DATA *>(kx_mem_calloc(1, sizeof(KX_FONT_CHAR_DATA)));
    auto *frame = static_cast<KX_FONT_FRAME *>(kx_mem_calloc(1, sizeof(KX_FONT_FRAME)));
    KX_RECT rect = {0, 0, static_cast<int16_t>(font->width), static_cast<int16_t>(font->height)};
    if (!data || !frame || !kx_bit_alloc(&frame->bitmap, &rect, first ? first->depth : KX_BIT_BPP8)) {
        if (data) kx_mem_free(data);
        if (frame) kx_mem_free(frame);
        kx_font_raise(KX_FONT_ERR_MEMORY, "%s", l.file);
        l.fatal = true;
        return;
    }
    kx_mem_name(data, "KX_CHAR Space Character");
    kx_mem_name(frame, "KX_CHAR_DATA Space Character");
    kx_mem_name(frame->bitmap.pixels, "KX_BITMAP Space Character");
    KX_PALETTE *palette = font->palette ? font->palette : first ? first->palette : nullptr;
    if (palette) {
        palette->references++;
        frame->bitmap.palette = palette;
    }
    frame->place.source = rect;
    frame->place.extent = glyph_extent(frame->bitmap);
    data->frame_count = 1;
    data->frames = frame;
    if (!table_append(l, FONT_SPACE, 1, data)) char_data_free(data);
}

// "MapSrc"/"MapDst": a missing source character becomes an alias of its present destination.
void map_aliases(FONT_LOAD &l)
{
    char src_text[FONT_LINE_SIZE + 1], dst_text[FONT_LINE_SIZE + 1];
    if (!ini_string(l, "Character Properties", "MapSrc", src_text, FONT_LINE_SIZE) ||
        !ini_string(l, "Character Properties", "MapDst", dst_text, FONT_LINE_SIZE))
        return;
    uint32_t *dst = nullptr;
    int dst_capacity = 0;
    int dst_count = kx_font_utf_8_to_unicode(&dst, &dst_capacity, dst_text, kx_font_utf_mode(l.font));
    int src_count = kx_font_utf_8_to_unicode(&l.codes, &l.capacity, src_text, kx_font_utf_mode(l.font));
    int common = src_count < dst_count ? src_count : dst_count;
    for (int i = 0; i < common && !l.fatal; i++) {
        int target = table_find(l.font, dst[i]);
        if (table_find(l.font, l.codes[i]) < 0 && target >= 0)
            table_append(l, l.codes[i], 0, l.font->chars[target].data);
    }
    if (dst) kx_mem_free(dst);
}

int char_compare(const void *a, const void *b)
{
    uint32_t x = static_cast<const KX_FONT_CHAR *>(a)->code, y = static_cast<const KX_FONT_CHAR *>(b)->code;
    return x < y ? -1 : x > y;
}

// Required "Font Properties"; false (error 2 or 4) when the font cannot be used.
bool read_properties(FONT_LOAD &l)
{
    KX_FONT *font = l.font;
    const char *section = "Font Properties";
    char text[FONT_LINE_SIZE + 1];
    int version = 1, width = 0, height = 0, files = 0;
    if (!ini_string(l, section, "Name", text, 256) || !ini_int(l, section, "Width", &width) ||
        !ini_int(l, section, "Height", &height) ||
        !(ini_int(l, section, "NumFiles", &files) || ini_int(l, section, "NbFiles", &files)) || width <= 0 ||
        height <= 0 || width > KX_BIT_MAX_SIDE || height > KX_BIT_MAX_SIDE || files < 0 || files > FONT_MAX_FILES) {
        kx_font_raise(KX_FONT_ERR_FORMAT, "%s", l.file);
        return false;
    }
    size_t length = std::strlen(text);
    font->name = static_cast<char *>(kx_mem_malloc(length + 1));
    if (!font->name) {
        kx_font_raise(KX_FONT_ERR_MEMORY, "%s", l.file);
        return false;
    }
    kx_mem_name(font->name, "KX_FONT name");
    std::memcpy(font->name, text, length + 1);
    ini_int(l, section, "Version", &version);
    font->version = version == 2 ? 2 : 1;
    if (ini_string(l, section, "Palette", text, FONT_LINE_SIZE) && text[0]) {
        char path[KX_IO_PATH_MAX];
        font_path(l, text, path);
        font->palette = kx_pal_load(path);
        if (!font->palette) {
            kx_font_raise(KX_FONT_ERR_PALETTE, "%s", path);
            return false;
        }
    }
    font->width = static_cast<uint16_t>(width);
    font->height = static_cast<uint16_t>(height);
    for (int i = 1; i <= files && !l.fatal; i++) section_file(l, i);
    return !l.fatal;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions: interface
// ---------------------------------------------------------------------------------------------

int kx_font_load(KX_FONT *font, const char *file_name, int flags)
{
    if (!font) {
        kx_font_raise(KX_FONT_ERR_POINTER, "%s", file_name ? file_name : "");
        return 0;
    }
    std::memset(font, 0, sizeof *font);
    if (!file_name || !kx_io_exists(file_name, KX_IO_WHERE_KX)) {
        kx_font_raise(KX_FONT_ERR_NO_FILE, "%s", file_name ? file_name : "");
        return 0;
    }
    FONT_LOAD l = {};
    l.font = font;
    l.file = file_name;
    l.flags = flags;
    const char *slash = std::strrchr(file_name, '\\');
    const char *other = std::strrchr(file_name, '/');
    if (!slash || (other && other > slash)) slash = other;
    std::snprintf(l.folder, sizeof l.folder, "%.*s", slash ? static_cast<int>(slash - file_name + 1) : 0, file_name);

    kx_io_ini_set_mode(file_name, KX_IO_INI_KEEP_OPEN);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_ON);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_ON);
    bool ok = read_properties(l);
    if (ok && table_find(font, FONT_SPACE) < 0) space_add(l);
    if (ok && !l.fatal) map_aliases(l);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_OFF);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_OFF);
    kx_io_ini_set_mode(file_name, KX_IO_INI_KEEP_CLOSE);
    if (l.codes) kx_mem_free(l.codes);
    if (!ok || l.fatal) {
        kx_font_free(font);
        return 0;
    }
    if (l.incomplete) kx_font_raise(KX_FONT_ERR_INCOMPLETE, "%s", file_name);

    if (font->count < font->capacity) {
        void *shrunk = kx_mem_realloc(font->chars, sizeof(KX_FONT_CHAR) * static_cast<size_t>(font->count));
        if (shrunk) {
            font->chars = static_cast<KX_FONT_CHAR *>(shrunk);
            font->capacity = font->count;
        }
    }
    std::qsort(font->chars, static_cast<size_t>(font->count), sizeof(KX_FONT_CHAR), char_compare);
    font->default_char = 1;
    for (int i = 0; i < font->count; i++)
        if (font->chars[i].code == FONT_SPACE) font->default_char = i + 1;
    return 1;
}

void kx_font_free(KX_FONT *font)
{
    if (!font) return;
    for (int i = 0; i < font->count; i++)
        if (font->chars[i].owns && font->chars[i].data) char_data_free(font->chars[i].data);
    if (font->chars) kx_mem_free(font->chars);
    if (font->name) kx_mem_free(font->name);
    if (font->palette) kx_pal_free(font->palette);
    std::memset(font, 0, sizeof *font);
}
