// kx_anim reader: opens a FLIC image held in memory, walks its chunks frame by frame (prefix
// chunks skipped, frame chunks decoded, wrapping after the last frame) and paces the frames by
// the file's delay. Chunk sizes are checked against the data held; a malformed sub-chunk ends
// that frame's decoding.
#include "kx/kx_font/kx_anim.h"

#include "kx/kx_bit/kx_bit.h"
#include "kx/kx_font/kx_anim_local.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <chrono>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

namespace {

constexpr uint16_t ANIM_MAGIC_FLI = 0xAF11;
constexpr uint16_t ANIM_MAGIC_FLC = 0xAF12;
constexpr uint32_t ANIM_CHUNK_HEADER = 6;
constexpr uint32_t ANIM_FRAME_HEADER = 16;

uint32_t anim_ticks()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Decodes the sub-chunks of the frame chunk at [start, end). Returns 0 when one was malformed.
int anim_decode_frame(KX_ANIM *anim, uint32_t start, uint32_t end)
{
    ANIM_TARGET target{anim->pixels, anim->width, anim->height, anim_palette_rgb(anim), &anim->palette_changed};
    unsigned subs = anim_u16(anim->data + start + 6);
    uint32_t at = start + ANIM_FRAME_HEADER;
    for (unsigned i = 0; i < subs; i++) {
        if (end - at < ANIM_CHUNK_HEADER) return 0;
        uint32_t size = anim_u32(anim->data + at);
        uint16_t type = anim_u16(anim->data + at + 4);
        if (size < ANIM_CHUNK_HEADER || size > end - at) return 0;
        if (!anim_decode_sub_chunk(target, type, anim->data + at + ANIM_CHUNK_HEADER, size - ANIM_CHUNK_HEADER)) return 0;
        at += size;
    }
    return 1;
}

// Size of the chunk at `at`, held to the data; 0 when no chunk header fits or it is too short
// to move past.
uint32_t anim_chunk_size(const KX_ANIM *anim, uint32_t at)
{
    uint32_t left = anim->data_size - at;
    if (left < ANIM_CHUNK_HEADER) return 0;
    uint32_t size = anim_u32(anim->data + at);
    if (size < ANIM_CHUNK_HEADER) return 0;
    return size < left ? size : left;
}

// Checks the 128-byte header and fills the record's header fields. 0: not a FLIC we can show.
int anim_header(KX_ANIM *anim, const uint8_t *header)
{
    uint16_t magic = anim_u16(header + 4);
    if (magic != ANIM_MAGIC_FLI && magic != ANIM_MAGIC_FLC) return 0;
    anim->frame_count = anim_u16(header + 6);
    anim->width = anim_u16(header + 8);
    anim->height = anim_u16(header + 10);
    if (anim->width == 0 || anim->height == 0) return 0;
    anim->frame_size = static_cast<uint32_t>(anim->width) * anim->height;
    if (anim->frame_size > KX_ANIM_MAX_PIXELS) return 0;
    anim->kind = magic == ANIM_MAGIC_FLI ? KX_ANIM_FLI : KX_ANIM_FLC;
    anim->depth = 8;
    uint32_t speed = anim_u32(header + 16);
    if (speed == 0) speed = 1;
    anim->frame_delay = anim->kind == KX_ANIM_FLI ? static_cast<uint32_t>(uint64_t(speed) * 1000 / 70) : speed;
    return 1;
}

// Allocates the pixels, palette, frame data (data_size bytes) and name. 0: all freed again.
int anim_allocate(KX_ANIM *anim, uint32_t data_size, const char *name)
{
    const char *label = name ? name : "";
    size_t length = std::strlen(label);
    anim->data_size = data_size;
    anim->pixels = static_cast<uint8_t *>(kx_mem_calloc(anim->frame_size, 1));
    anim->palette = kx_pal_alloc(nullptr, 256, 1);
    anim->data = static_cast<uint8_t *>(kx_mem_malloc(data_size ? data_size : 1));
    anim->name = static_cast<char *>(kx_mem_malloc(length + 1));
    if (!anim->pixels || !anim->palette || !anim->data || !anim->name) {
        anim_close(anim);
        return 0;
    }
    kx_mem_name(anim->pixels, "anim pixels");
    kx_mem_name(anim->data, "anim frame data");
    kx_mem_name(anim->name, "anim name");
    std::memcpy(anim->name, label, length + 1);
    std::memset(anim->palette->colors, 0, 256 * 3);
    anim->position = anim->first_frame = 0;
    return 1;
}

} // namespace

uint8_t *anim_palette_rgb(KX_ANIM *anim)
{
    return anim && anim->palette ? anim->palette->colors : nullptr;
}

int anim_open(KX_ANIM *anim, const char *file_name, int)
{
    if (!anim) return 0;
    std::memset(anim, 0, sizeof *anim);
    if (!file_name) return 0;
    KX_IO *file = kx_io_fopen(file_name, "rb");
    if (!file) return 0;
    long size = -1;
    if (kx_io_fseek(file, 0, SEEK_END) == 0) size = kx_io_ftell(file);
    kx_io_fseek(file, 0, SEEK_SET);
    uint8_t header[KX_ANIM_HEADER_SIZE];
    int ok = size >= static_cast<long>(KX_ANIM_HEADER_SIZE) && size - KX_ANIM_HEADER_SIZE <= UINT32_MAX &&
             kx_io_fread(header, 1, KX_ANIM_HEADER_SIZE, file) == KX_ANIM_HEADER_SIZE && anim_header(anim, header);
    if (ok) {
        uint32_t data_size = static_cast<uint32_t>(size - KX_ANIM_HEADER_SIZE);
        ok = anim_allocate(anim, data_size, file_name) && kx_io_fread(anim->data, 1, data_size, file) == data_size;
    }
    kx_io_fclose(file);
    if (!ok) anim_close(anim);
    return ok;
}

int anim_open_memory(KX_ANIM *anim, const uint8_t *bytes, size_t size, const char *name)
{
    if (!anim) return 0;
    std::memset(anim, 0, sizeof *anim);
    if (!bytes || size < KX_ANIM_HEADER_SIZE || size - KX_ANIM_HEADER_SIZE > UINT32_MAX) return 0;
    if (!anim_header(anim, bytes) || !anim_allocate(anim, static_cast<uint32_t>(size - KX_ANIM_HEADER_SIZE), name)) {
        std::memset(anim, 0, sizeof *anim);
        return 0;
    }
    std::memcpy(anim->data, bytes + KX_ANIM_HEADER_SIZE, anim->data_size);
    return 1;
}

int anim_frame_next(KX_ANIM *anim, int force)
{
    if (!anim || !anim->data) return 0;
    uint32_t now = anim_ticks();
    if (force != 1 && anim->current_frame != 0 && now - anim->last_frame_time < anim->frame_delay) return -1;

    if (anim->current_frame < anim->frame_count) {
        anim->current_frame++;
    } else {
        anim->current_frame = 1;
        anim->position = anim->first_frame;
    }

    uint32_t size = anim_chunk_size(anim, anim->position);
    if (size && anim_u16(anim->data + anim->position + 4) == ANIM_CHUNK_PREFIX) {
        anim->position += size;
        size = anim_chunk_size(anim, anim->position);
    }
    int result = 0;
    if (size == 0) {
        // Nothing readable here: park at the end until the animation wraps.
        anim->position = anim->data_size;
    } else {
        if (anim_u16(anim->data + anim->position + 4) == ANIM_CHUNK_FRAME) {
            result = 1;
            if (size < ANIM_FRAME_HEADER || !anim_decode_frame(anim, anim->position, anim->position + size))
                anim->bad_chunks++;
        }
        anim->position += size;
    }
    anim->last_frame_time = now;
    return result;
}

void anim_rewind(KX_ANIM *anim)
{
    if (!anim) return;
    anim->position = anim->first_frame;
    anim->current_frame = 0;
}

void anim_clear(KX_ANIM *anim)
{
    if (anim && anim->pixels) std::memset(anim->pixels, 0, anim->frame_size);
}

void anim_close(KX_ANIM *anim)
{
    if (!anim) return;
    if (anim->name) kx_mem_free(anim->name);
    if (anim->pixels) kx_mem_free(anim->pixels);
    if (anim->palette) kx_pal_free(anim->palette);
    if (anim->data) kx_mem_free(anim->data);
    std::memset(anim, 0, sizeof *anim);
}
