// kx_snd_s3m: the player record with its single module slot, the controls, the render loop and
// the song length scan.
#include "kx/kx_snd/kx_snd_s3m_local.h"

#include "kx/kx_mem/kx_mem.h"

#include <cstring>
#include <new>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

static KX_SND_S3M_MODULE *kx_snd_s3m_slot;
static KX_SND_S3M_PLAYER kx_snd_s3m_player = [] {
    KX_SND_S3M_PLAYER p{};
    p.play_state = KX_SND_S3M_STOPPED;
    p.master_volume = KX_SND_S3M_MASTER_MAX;
    p.mix_rate = 44100;
    p.mode = KX_SND_S3M_MODE_STEREO | KX_SND_S3M_MODE_16BIT | KX_SND_S3M_QUALITY_MEDIUM;
    p.separation = 256;
    p.pan = 128;
    return p;
}();
static KX_SND_S3M_PENDING kx_snd_s3m_pending;

static const char *const kx_snd_s3m_errors[KX_SND_S3M_ERR_COUNT] = {
    "No error",
    "No module data",
    "Module file too short",
    "Not an S3M module",
    "Out of memory",
};

// ---------------------------------------------------------------------------------------------
// Module slot
// ---------------------------------------------------------------------------------------------

KX_SND_S3M_MODULE *kx_snd_s3m_load(const uint8_t *data, size_t size, int *error)
{
    int e = KX_SND_S3M_OK;
    KX_SND_S3M_MODULE *m = kx_snd_s3m_module_parse(data, size, &e);
    if (error) *error = e;
    if (m) kx_snd_s3m_slot = m;
    return m;
}

void kx_snd_s3m_free(KX_SND_S3M_MODULE *m)
{
    if (!m) return;
    if (kx_snd_s3m_slot == m) kx_snd_s3m_slot = nullptr;
    if (kx_snd_s3m_player.module == m) {
        kx_snd_s3m_player.module = nullptr;
        kx_snd_s3m_player.play_state = KX_SND_S3M_STOPPED;
    }
    kx_snd_s3m_module_free(m);
}

void kx_snd_s3m_install(KX_SND_S3M_MODULE *m)
{
    if (m) kx_snd_s3m_slot = m;
}

const char *kx_snd_s3m_error_text(int error)
{
    return error >= 0 && error < KX_SND_S3M_ERR_COUNT ? kx_snd_s3m_errors[error] : "Unknown error";
}

int kx_snd_s3m_info_get(const KX_SND_S3M_MODULE *m, KX_SND_S3M_INFO *info)
{
    if (!m || !info) return 0;
    std::memcpy(info->name, m->name, sizeof(info->name));
    info->orders = m->order_count;
    info->instruments = m->sample_count;
    info->patterns = m->pattern_count;
    info->channels = m->channels;
    info->speed = m->speed;
    info->tempo = m->tempo;
    info->global_volume = m->global_volume;
    info->stereo = m->stereo;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------------------------

int kx_snd_s3m_start()
{
    if (!kx_snd_s3m_slot) return 0;
    kx_snd_s3m_pending.start.store(1);
    return 1;
}

void kx_snd_s3m_stop()
{
    kx_snd_s3m_pending.start.store(0);
    kx_snd_s3m_pending.play_state.store(KX_SND_S3M_STOPPED);
}

KX_SND_S3M_CONTROLS kx_snd_s3m_controls_unchanged()
{
    KX_SND_S3M_CONTROLS c;
    std::memset(&c, 0xFF, sizeof(c));
    return c;
}

KX_SND_S3M_CONTROLS kx_snd_s3m_controls_from_top(uint32_t master_volume, uint32_t mix_rate, uint8_t mode)
{
    KX_SND_S3M_CONTROLS c = kx_snd_s3m_controls_unchanged();
    c.master_volume = master_volume;
    c.mix_rate = mix_rate;
    c.mode = mode;
    c.play_state = KX_SND_S3M_PLAY;
    c.order = 0;
    c.row = 0;
    c.separation = 256;
    c.pan = 128;
    return c;
}

int kx_snd_s3m_control_set(const KX_SND_S3M_CONTROLS *c)
{
    if (!c) return 0;
    int ok = 1;
    KX_SND_S3M_PENDING &p = kx_snd_s3m_pending;
    if (c->master_volume != 0xFFFFFFFFu) p.master_volume.store(c->master_volume > KX_SND_S3M_MASTER_MAX ? KX_SND_S3M_MASTER_MAX : c->master_volume);
    if (c->mix_rate != 0xFFFFFFFFu) {
        if (c->mix_rate >= 4000 && c->mix_rate <= 192000) p.mix_rate.store(c->mix_rate);
        else ok = 0;
    }
    if (c->mode != 0xFF) p.mode.store(c->mode & 0x1F);
    if (c->play_state != 0xFF) {
        if (c->play_state == KX_SND_S3M_PLAY || c->play_state == KX_SND_S3M_PAUSE) p.play_state.store(c->play_state);
        else ok = 0;
    }
    if (c->order != 0xFFFF || c->row != 0xFFFF) {
        int64_t row = c->row == 0xFFFF ? 0xFFFF : (c->row > 63 ? 63 : c->row);
        p.position.store((static_cast<int64_t>(c->order) << 16) | row);
    }
    if (c->separation != 0xFFFF) p.separation.store(c->separation > 256 ? 256 : c->separation);
    if (c->pan != 0xFFFF) p.pan.store(c->pan > 256 ? 256 : c->pan);
    return ok;
}

// Takes over what the controls left for this render, in the order a caller would give them:
// start first, then the single controls.
static void pending_apply(KX_SND_S3M_PLAYER *pl)
{
    KX_SND_S3M_PENDING &p = kx_snd_s3m_pending;
    int update = 0;
    if (p.start.exchange(0) && kx_snd_s3m_slot) {
        kx_snd_s3m_song_reset(pl, kx_snd_s3m_slot);
        pl->play_state = KX_SND_S3M_PLAY;
        update = 1;
    }
    int64_t v;
    if ((v = p.master_volume.exchange(-1)) >= 0) pl->master_volume = static_cast<uint32_t>(v);
    if ((v = p.mix_rate.exchange(-1)) >= 0) {
        pl->mix_rate = static_cast<uint32_t>(v);
        pl->tick_remainder = 0;
        update = 1;
    }
    if ((v = p.mode.exchange(-1)) >= 0 && v != pl->mode) {
        pl->mode = static_cast<uint8_t>(v);
        std::memset(pl->work_left, 0, sizeof(pl->work_left));
        std::memset(pl->work_right, 0, sizeof(pl->work_right));
        update = 1;
    }
    if ((v = p.play_state.exchange(-1)) >= 0) pl->play_state = static_cast<int32_t>(v);
    if ((v = p.position.exchange(-1)) >= 0 && pl->module) {
        int order = static_cast<int>(v >> 16), row = static_cast<int>(v & 0xFFFF);
        kx_snd_s3m_position_set(pl, order == 0xFFFF ? pl->order : order, row == 0xFFFF ? pl->row : row);
    }
    if ((v = p.separation.exchange(-1)) >= 0) {
        pl->separation = static_cast<int32_t>(v);
        update = 1;
    }
    if ((v = p.pan.exchange(-1)) >= 0) pl->pan = static_cast<int32_t>(v);
    if (update && pl->module) kx_snd_s3m_channels_update(pl);
}

// ---------------------------------------------------------------------------------------------
// Render
// ---------------------------------------------------------------------------------------------

size_t kx_snd_s3m_render(void *out, size_t bytes)
{
    KX_SND_S3M_PLAYER *pl = &kx_snd_s3m_player;
    if (!out) return 0;
    pending_apply(pl);
    size_t frames = bytes / static_cast<size_t>(kx_snd_s3m_frame_bytes(pl->mode));
    auto *o = static_cast<uint8_t *>(out);
    if (!pl->module || pl->play_state != KX_SND_S3M_PLAY) return kx_snd_s3m_silence(pl, o, frames);
    size_t written = 0;
    while (frames > 0) {
        if (pl->tick_frames_left == 0) {
            kx_snd_s3m_tick(pl);
            pl->tick_frames_left = static_cast<int32_t>(kx_snd_s3m_tick_frames(pl));
            continue;
        }
        int n = KX_SND_S3M_BLOCK;
        if (static_cast<size_t>(n) > frames) n = static_cast<int>(frames);
        if (n > pl->tick_frames_left) n = pl->tick_frames_left;
        written += kx_snd_s3m_mix(pl, o + written, n);
        frames -= static_cast<size_t>(n);
        pl->tick_frames_left -= n;
        pl->frames += n;
    }
    return written;
}

void kx_snd_s3m_status_get(KX_SND_S3M_STATUS *s)
{
    if (!s) return;
    const KX_SND_S3M_PLAYER *pl = &kx_snd_s3m_player;
    s->play_state = pl->play_state;
    s->order = pl->order;
    s->row = pl->row;
    s->pattern = pl->module && pl->order >= 0 ? pl->module->orders[pl->order] : -1;
    s->tick = pl->tick;
    s->speed = pl->speed;
    s->tempo = pl->tempo;
    s->global_volume = pl->global_volume;
    s->song_ends = pl->song_ends;
    s->frames = pl->frames;
    s->end_frame = pl->end_frame;
    s->mix_rate = pl->mix_rate;
    s->mode = pl->mode;
}

// ---------------------------------------------------------------------------------------------
// Song length
// ---------------------------------------------------------------------------------------------

double kx_snd_s3m_length_get(const KX_SND_S3M_MODULE *m, double max_seconds, KX_SND_S3M_LENGTH *length)
{
    KX_SND_S3M_LENGTH result{};
    if (length) *length = result;
    if (!m) return 0;
    void *block = kx_mem_calloc(1, sizeof(KX_SND_S3M_PLAYER));
    if (!block) return 0;
    kx_mem_name(block, "S3M length scan");
    auto *pl = new (block) KX_SND_S3M_PLAYER{};
    pl->mix_rate = 44100;
    pl->mode = KX_SND_S3M_MODE_STEREO;
    pl->separation = 256;
    kx_snd_s3m_song_reset(pl, m);
    while (result.seconds < max_seconds) {
        kx_snd_s3m_tick(pl);
        if (pl->song_ends) break;
        result.tick_seconds = 2.5 / pl->tempo;
        result.seconds += result.tick_seconds;
        result.ticks++;
    }
    kx_mem_free(block);
    if (length) *length = result;
    return result.seconds;
}
