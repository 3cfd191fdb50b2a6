// kx_snd_s3m_play: the S3M sequencer. Walks the order list row by row and tick by tick, triggers
// notes and runs the effects, and leaves each channel's sample, pitch step and stereo gains ready
// for the mixer.
#include "kx/kx_snd/kx_snd_s3m_local.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------------------------

// Periods of octave 0; a note's period is 8363 x 16 x period >> octave / C2SPD.
static const uint16_t PERIODS[12] = {1712, 1616, 1524, 1440, 1356, 1280, 1208, 1140, 1076, 1016, 960, 907};
// First half of the vibrato and tremolo sine, amplitude 255.
static const uint8_t SINE[32] = {0,   24,  49,  74,  97,  120, 141, 161, 180, 197, 212, 224, 235, 244, 250, 253,
                                 255, 253, 250, 244, 235, 224, 212, 197, 180, 161, 141, 120, 97,  74,  49,  24};
// 2^(-n/12) in 16.16 fixed point: arpeggio steps shorten the period.
static const uint32_t SEMITONES_UP[16] = {65536, 61858, 58386, 55109, 52016, 49097, 46341, 43740,
                                          41285, 38968, 36781, 34716, 32768, 30929, 29193, 27554};
// C2SPD values chosen by the finetune command S2x.
static const uint16_t FINETUNE[16] = {7895, 7941, 7985, 8046, 8107, 8169, 8232, 8280,
                                      8363, 8413, 8463, 8529, 8581, 8651, 8723, 8757};

// Periods are kept in 1/64 of the tracker's units, so that a note's pitch is not rounded to a
// whole period; slides and vibrato move them in whole units (PERIOD_ONE).
constexpr int PERIOD_BITS = 6;
constexpr int32_t PERIOD_ONE = 1 << PERIOD_BITS;
constexpr int32_t PERIOD_MIN = 16 * PERIOD_ONE;
constexpr int32_t PERIOD_MAX = 0x7FFF * PERIOD_ONE;
constexpr uint64_t CLOCK = 14317056;   // Hz = CLOCK / period in whole units

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

static int32_t clamp(int32_t v, int32_t lo, int32_t hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

static int32_t note_period(int note, uint32_t c2spd)
{
    uint64_t p = ((uint64_t{8363} * 16 * PERIODS[note % 12] << PERIOD_BITS) >> (note / 12)) / c2spd;
    return clamp(static_cast<int32_t>(p > PERIOD_MAX ? PERIOD_MAX : p), PERIOD_MIN, PERIOD_MAX);
}

// Vibrato and tremolo waveforms, -255..255 over 64 positions: sine, ramp down, square, random.
static int32_t wave(KX_SND_S3M_PLAYER *pl, int type, int pos)
{
    pos &= 63;
    switch (type & 3) {
    case 0: return pos < 32 ? SINE[pos] : -SINE[pos - 32];
    case 1: return 255 - pos * 8;
    case 2: return pos < 32 ? 255 : -255;
    default:
        pl->random = pl->random * 1103515245u + 12345u;
        return static_cast<int32_t>((pl->random >> 16) % 511) - 255;
    }
}

static const KX_SND_S3M_CELL *pattern_row(const KX_SND_S3M_PLAYER *pl)
{
    const KX_SND_S3M_MODULE *m = pl->module;
    int pattern = m->orders[pl->order];
    if (pattern >= m->pattern_count) pattern = m->pattern_count;   // the empty pattern
    size_t at = (static_cast<size_t>(pattern) * KX_SND_S3M_ROWS + static_cast<size_t>(pl->row)) * static_cast<size_t>(m->channels);
    return m->cells + at;
}

// Effect memory as the tracker kept it: one byte per channel, written by every command with a
// nonzero parameter, whatever the command. These commands take it when their parameter is 0;
// G (portamento speed), H and U (vibrato nibbles), O (offset) and T (tempo) remember on their own.
static int reads_memory(uint8_t command)
{
    return command && std::strchr("DEFIJKLQRS", command) != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Song position
// ---------------------------------------------------------------------------------------------

// One pass of the song is over: count it, remember where in the output it happened, and forget
// the rows played so that the next pass is recognised too.
static void song_end(KX_SND_S3M_PLAYER *pl)
{
    pl->song_ends++;
    if (pl->end_frame < 0) pl->end_frame = pl->frames;
    std::memset(pl->visited, 0, sizeof(pl->visited));
}

// Moves to a row of an order, skipping marker orders (254). Past the end of the list (or at 255)
// the song wraps to order 0 with its initial speed, tempo and global volume; order -1 means the
// list has no pattern at all.
static void order_enter(KX_SND_S3M_PLAYER *pl, int order, int row, int counts)
{
    const KX_SND_S3M_MODULE *m = pl->module;
    if (order < 0) order = 0;
    for (int pass = 0; pass < 2; pass++) {
        while (order < m->order_count && m->orders[order] == 254) order++;
        if (order < m->order_count && m->orders[order] != 255) {
            pl->order = order;
            pl->row = clamp(row, 0, KX_SND_S3M_ROWS - 1);
            pl->loop_row = 0;
            pl->loop_count = 0;
            return;
        }
        if (counts) song_end(pl);
        pl->speed = m->speed;
        pl->tempo = m->tempo;
        pl->global_volume = m->global_volume;
        order = 0;
        row = 0;
    }
    pl->order = -1;
    pl->row = 0;
}

static void row_advance(KX_SND_S3M_PLAYER *pl)
{
    if (pl->loop_jump >= 0) {
        // Rows inside a pattern loop are played again by design, not a new pass of the song.
        for (int r = pl->loop_jump; r <= pl->row; r++) pl->visited[pl->order] &= ~(uint64_t{1} << r);
        pl->row = pl->loop_jump;
    } else if (pl->jump_order >= 0 || pl->jump_row >= 0) {
        int order = pl->jump_order >= 0 ? pl->jump_order : pl->order + 1;
        order_enter(pl, order, pl->jump_row >= 0 ? pl->jump_row : 0, 1);
    } else if (++pl->row >= KX_SND_S3M_ROWS) {
        order_enter(pl, pl->order + 1, 0, 1);
    }
    pl->loop_jump = pl->jump_order = pl->jump_row = -1;
}

void kx_snd_s3m_position_set(KX_SND_S3M_PLAYER *pl, int order, int row)
{
    std::memset(pl->visited, 0, sizeof(pl->visited));
    order_enter(pl, order, row, 0);
    pl->tick = pl->pattern_delay = pl->row_done = 0;
    pl->loop_jump = pl->jump_order = pl->jump_row = -1;
    pl->tick_frames_left = 0;
}

void kx_snd_s3m_song_reset(KX_SND_S3M_PLAYER *pl, const KX_SND_S3M_MODULE *m)
{
    pl->module = m;
    std::memset(pl->channels, 0, sizeof(pl->channels));
    for (int i = 0; i < KX_SND_S3M_CHANNELS; i++) pl->channels[i].pan = m->channel_pan[i];
    pl->speed = m->speed;
    pl->tempo = m->tempo;
    pl->global_volume = m->global_volume;
    pl->song_ends = 0;
    pl->frames = 0;
    pl->end_frame = -1;
    pl->tick_remainder = 0;
    pl->random = 1;
    kx_snd_s3m_position_set(pl, 0, 0);
}

uint32_t kx_snd_s3m_tick_frames(KX_SND_S3M_PLAYER *pl)
{
    // A tick lasts 2.5 / tempo seconds; the remainder carries over so that no time is lost.
    uint32_t total = pl->mix_rate * 5 + pl->tick_remainder, unit = static_cast<uint32_t>(pl->tempo) * 2;
    pl->tick_remainder = total % unit;
    return total / unit;
}

// ---------------------------------------------------------------------------------------------
// Notes
// ---------------------------------------------------------------------------------------------

static void sample_offset(KX_SND_S3M_CHANNEL *ch)
{
    if (ch->param) ch->offset_memory = ch->param;
    uint32_t offset = static_cast<uint32_t>(ch->offset_memory) * 256;
    const KX_SND_S3M_SAMPLE *s = ch->sample;
    if (offset < s->length) {
        ch->pos = static_cast<uint64_t>(offset) << 32;
    } else if (s->loop) {
        // Past the end of a looping sample the offset lands inside the loop.
        uint32_t loop = s->length - s->loop_start;
        ch->pos = static_cast<uint64_t>(s->loop_start + (offset - s->loop_start) % loop) << 32;
    } else {
        ch->pos = static_cast<uint64_t>(s->length) << 32;   // past the end of a one-shot sample: silent
    }
}

// A channel sounds while its sample loops or has not reached its end.
static int sounding(const KX_SND_S3M_CHANNEL *ch)
{
    return ch->sample && (ch->sample->loop || ch->pos < static_cast<uint64_t>(ch->sample->length) << 32);
}

static void note_apply(KX_SND_S3M_PLAYER *pl, KX_SND_S3M_CHANNEL *ch)
{
    const KX_SND_S3M_MODULE *m = pl->module;
    const KX_SND_S3M_CELL *c = &ch->cell;
    int index = static_cast<int>(ch - pl->channels);
    int porta = ch->command == 'G' || ch->command == 'L';

    if (c->instrument && c->instrument <= m->sample_count) {
        const KX_SND_S3M_SAMPLE *s = &m->samples[c->instrument - 1];
        ch->instrument = c->instrument;
        ch->volume = s->volume;
        ch->c2spd = static_cast<int32_t>(s->c2spd);
    }
    if (c->note < 120) {
        const KX_SND_S3M_SAMPLE *s = ch->instrument ? &m->samples[ch->instrument - 1] : nullptr;
        if (ch->c2spd == 0) ch->c2spd = 8363;
        if (porta && sounding(ch)) {
            ch->porta_target = note_period(c->note, static_cast<uint32_t>(ch->c2spd));
        } else if (s && s->length && m->channel_sound[index]) {
            ch->sample = s;
            ch->pos = 0;
            ch->period = ch->porta_target = note_period(c->note, static_cast<uint32_t>(ch->c2spd));
            if (ch->vib_wave < 4) ch->vib_pos = 0;
            if (ch->trem_wave < 4) ch->trem_pos = 0;
            ch->retrig_count = 0;
            ch->tremor_count = 0;
            if (ch->command == 'O') sample_offset(ch);
        } else {
            ch->sample = nullptr;
        }
    } else if (c->note == KX_SND_S3M_NOTE_OFF) {
        ch->sample = nullptr;
    }
    if (c->volume != KX_SND_S3M_VOL_NONE) ch->volume = c->volume;
}

// ---------------------------------------------------------------------------------------------
// Effects
// ---------------------------------------------------------------------------------------------

// Dxy: DxF / DFy slide once on the first tick, Dx0 / D0y on the others (and on the first with
// fast slides). With both nibbles set and neither F, the slide goes down.
static void volume_slide(KX_SND_S3M_PLAYER *pl, KX_SND_S3M_CHANNEL *ch, int first)
{
    int x = ch->param >> 4, y = ch->param & 15;
    int normal = !first || pl->module->fast_slides;
    if (y == 15 && x) {
        if (first) ch->volume += x;
    } else if (x == 15 && y) {
        if (first) ch->volume -= y;
    } else if (y) {
        if (normal) ch->volume -= y;
    } else if (x) {
        if (normal) ch->volume += x;
    }
    ch->volume = clamp(ch->volume, 0, 64);
}

// Exx / Fxx: dir +1 lowers the pitch (period grows). xx < E0 slides 4 units per tick after the
// first, FFx slides 4x units once, EEx x units once. A slide up past the highest pitch stops the
// note, as the tracker did.
static void period_slide(KX_SND_S3M_CHANNEL *ch, int dir, int first)
{
    int amount = 0;
    if (ch->param >= 0xF0) amount = first ? (ch->param & 15) * 4 : 0;
    else if (ch->param >= 0xE0) amount = first ? ch->param & 15 : 0;
    else amount = first ? 0 : ch->param * 4;
    if (!sounding(ch)) return;
    int32_t period = ch->period + dir * amount * PERIOD_ONE;
    if (period < PERIOD_MIN) ch->sample = nullptr;
    else ch->period = clamp(period, PERIOD_MIN, PERIOD_MAX);
}

static void tone_portamento(KX_SND_S3M_CHANNEL *ch)
{
    int speed = ch->porta_memory * 4 * PERIOD_ONE;
    if (ch->period < ch->porta_target) ch->period = ch->period + speed > ch->porta_target ? ch->porta_target : ch->period + speed;
    else if (ch->period > ch->porta_target) ch->period = ch->period - speed < ch->porta_target ? ch->porta_target : ch->period - speed;
}

static void vibrato(KX_SND_S3M_PLAYER *pl, KX_SND_S3M_CHANNEL *ch)
{
    int32_t delta = wave(pl, ch->vib_wave, ch->vib_pos) * ch->vib_depth;
    delta = (ch->vib_fine ? delta / 128 : delta / 32) * PERIOD_ONE;
    ch->period_out = clamp(ch->period + delta, PERIOD_MIN, PERIOD_MAX);
    ch->vib_pos = (ch->vib_pos + ch->vib_speed) & 63;
}

static void tremolo(KX_SND_S3M_PLAYER *pl, KX_SND_S3M_CHANNEL *ch)
{
    int32_t delta = wave(pl, ch->trem_wave, ch->trem_pos) * ch->trem_depth / 64;
    ch->volume_out = clamp(ch->volume + delta, 0, 64);
    ch->trem_pos = (ch->trem_pos + ch->trem_speed) & 63;
}

// Ixy: sound for x+1 ticks, silence for y+1 ticks, counting on across rows.
static void tremor(KX_SND_S3M_CHANNEL *ch)
{
    int on = (ch->param >> 4) + 1, off = (ch->param & 15) + 1;
    if (ch->tremor_count % (on + off) >= on) ch->volume_out = 0;
    ch->tremor_count = (ch->tremor_count + 1) % (on + off);
}

static void arpeggio(KX_SND_S3M_PLAYER *pl, KX_SND_S3M_CHANNEL *ch)
{
    int step = pl->tick % 3;
    int semis = step == 0 ? 0 : step == 1 ? ch->param >> 4 : ch->param & 15;
    ch->period_out = clamp(static_cast<int32_t>((static_cast<int64_t>(ch->period) * SEMITONES_UP[semis]) >> 16), PERIOD_MIN, PERIOD_MAX);
}

// Qxy: restart the sample every y ticks, changing the volume as x says.
static void retrigger(KX_SND_S3M_CHANNEL *ch)
{
    int x = ch->param >> 4, y = ch->param & 15;
    if (!y || ++ch->retrig_count < y) return;
    ch->retrig_count = 0;
    if (ch->sample) ch->pos = 0;
    int v = ch->volume;
    switch (x) {
    case 1: case 2: case 3: case 4: case 5: v -= 1 << (x - 1); break;
    case 6: v = v * 2 / 3; break;
    case 7: v /= 2; break;
    case 9: case 10: case 11: case 12: case 13: v += 1 << (x - 9); break;
    case 14: v = v * 3 / 2; break;
    case 15: v *= 2; break;
    default: break;
    }
    ch->volume = clamp(v, 0, 64);
}

static void command_s_first(KX_SND_S3M_PLAYER *pl, KX_SND_S3M_CHANNEL *ch)
{
    int x = ch->param & 15;
    switch (ch->param >> 4) {
    case 0x2: ch->c2spd = FINETUNE[x]; break;
    case 0x3: ch->vib_wave = x; break;
    case 0x4: ch->trem_wave = x; break;
    case 0x8: ch->pan = x * 16 + 8; break;
    case 0xB:
        // One loop for the whole song, as the tracker had: SB0 marks the start, SBx plays the
        // rows x more times; afterwards the start moves past the SBx row.
        if (x == 0) {
            pl->loop_row = pl->row;
        } else if (pl->loop_count == 0) {
            pl->loop_count = x;
            pl->loop_jump = pl->loop_row;
        } else if (--pl->loop_count > 0) {
            pl->loop_jump = pl->loop_row;
        } else {
            pl->loop_row = pl->row + 1;
        }
        break;
    case 0xC: ch->cut_tick = x ? x : -1; break;
    case 0xE:
        // The first nonzero delay of a row counts; later ones on the same row are ignored.
        if (!pl->pattern_delay) pl->pattern_delay = x;
        break;
    default: break;
    }
}

// Effects on the first tick of a row.
static void effects_first(KX_SND_S3M_PLAYER *pl, KX_SND_S3M_CHANNEL *ch)
{
    uint8_t p = ch->param;
    switch (ch->command) {
    case 'A':
        if (p) pl->speed = p;
        break;
    case 'B':
        pl->jump_order = p;
        break;
    case 'C':
        pl->jump_row = (p >> 4) * 10 + (p & 15) > 63 ? 0 : (p >> 4) * 10 + (p & 15);
        break;
    case 'K':
        ch->vib_fine = 0;
        volume_slide(pl, ch, 1);
        break;
    case 'D': case 'L': volume_slide(pl, ch, 1); break;
    case 'E': period_slide(ch, 1, 1); break;
    case 'F': period_slide(ch, -1, 1); break;
    case 'G':
        if (p) ch->porta_memory = p;
        break;
    case 'H': case 'U':
        if (p >> 4) ch->vib_speed = p >> 4;
        if (p & 15) ch->vib_depth = p & 15;
        ch->vib_fine = ch->command == 'U';
        break;
    case 'I': tremor(ch); break;
    case 'Q':
        // A note on the row has just started the sample; the count starts from it.
        if (ch->cell.note >= 120) retrigger(ch);
        break;
    case 'R':
        // Speed and depth come from the shared memory as a whole: R40 has no depth.
        ch->trem_speed = p >> 4;
        ch->trem_depth = p & 15;
        break;
    case 'S': command_s_first(pl, ch); break;
    case 'T':
        if (p) ch->tempo_memory = p;
        if (ch->tempo_memory >= 0x20) pl->tempo = ch->tempo_memory;
        break;
    case 'V':
        if (p <= 64) pl->global_volume = p;
        break;
    case 'X':
        if (p <= 0x80) ch->pan = p * 2;
        else if (p == 0xA4) ch->pan = 128;
        break;
    default: break;
    }
}

// Effects on the other ticks of a row.
static void effects_tick(KX_SND_S3M_PLAYER *pl, KX_SND_S3M_CHANNEL *ch)
{
    switch (ch->command) {
    case 'D': volume_slide(pl, ch, 0); break;
    case 'E': period_slide(ch, 1, 0); break;
    case 'F': period_slide(ch, -1, 0); break;
    case 'G': tone_portamento(ch); break;
    case 'H': case 'U': vibrato(pl, ch); break;
    case 'I': tremor(ch); break;
    case 'J': arpeggio(pl, ch); break;
    case 'K': vibrato(pl, ch); volume_slide(pl, ch, 0); break;
    case 'L': tone_portamento(ch); volume_slide(pl, ch, 0); break;
    case 'Q': retrigger(ch); break;
    case 'R': tremolo(pl, ch); break;
    case 'S':
        if (pl->tick == ch->cut_tick) ch->volume = 0;
        if (pl->tick == ch->delay_tick) note_apply(pl, ch);
        break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------------
// Ticks
// ---------------------------------------------------------------------------------------------

// Effects that shape the heard volume or pitch (tremolo, tremor, vibrato, arpeggio) set the
// outputs themselves; otherwise they follow the channel's volume and period as the effects left
// them on this tick.
static void outputs_settle(KX_SND_S3M_CHANNEL *ch)
{
    if (ch->volume_out < 0) ch->volume_out = ch->volume;
    if (ch->period_out < 0) ch->period_out = ch->period;
}

static void row_start(KX_SND_S3M_PLAYER *pl)
{
    uint64_t bit = uint64_t{1} << pl->row;
    if (pl->visited[pl->order] & bit) song_end(pl);
    pl->visited[pl->order] |= bit;
    const KX_SND_S3M_CELL *cells = pattern_row(pl);
    for (int i = 0; i < pl->module->channels; i++) {
        KX_SND_S3M_CHANNEL *ch = &pl->channels[i];
        if (!pl->module->channel_on[i]) continue;
        ch->cell = cells[i];
        uint8_t command = ch->cell.command, param = ch->cell.param;
        if (command && param) ch->memory = param;
        else if (reads_memory(command)) param = ch->memory;
        ch->command = command;
        ch->param = param;
        ch->cut_tick = -1;
        ch->delay_tick = -1;
        if (command == 'S' && (param >> 4) == 0xD && (param & 15)) ch->delay_tick = param & 15;
        else note_apply(pl, ch);
        ch->volume_out = ch->period_out = -1;
        effects_first(pl, ch);
        outputs_settle(ch);
    }
}

void kx_snd_s3m_tick(KX_SND_S3M_PLAYER *pl)
{
    if (pl->order < 0) {
        if (pl->song_ends == 0) song_end(pl);
        return;
    }
    if (pl->tick == 0) {
        if (pl->row_done) row_advance(pl);
        pl->row_done = 0;
        if (pl->order < 0) return;
        row_start(pl);
    } else {
        for (int i = 0; i < pl->module->channels; i++) {
            KX_SND_S3M_CHANNEL *ch = &pl->channels[i];
            ch->volume_out = ch->period_out = -1;
            effects_tick(pl, ch);
            outputs_settle(ch);
        }
    }
    kx_snd_s3m_channels_update(pl);
    // A pattern delay stretches the row to (1 + delay) x speed ticks; only the first of them
    // reads the row, the others run the effects of the later ticks. The next row is entered at
    // the start of the next tick, so that a song end found there falls on the frame where that
    // tick begins.
    if (++pl->tick < pl->speed * (1 + pl->pattern_delay)) return;
    pl->tick = 0;
    pl->pattern_delay = 0;
    pl->row_done = 1;
}

// Pitch step and stereo gains of every channel, from its period, volumes and pan.
void kx_snd_s3m_channels_update(KX_SND_S3M_PLAYER *pl)
{
    int stereo = (pl->mode & KX_SND_S3M_MODE_STEREO) != 0;
    for (int i = 0; i < KX_SND_S3M_CHANNELS; i++) {
        KX_SND_S3M_CHANNEL *ch = &pl->channels[i];
        if (!ch->sample || ch->period_out <= 0) {
            ch->gain_left = ch->gain_right = 0;
            continue;
        }
        ch->step = (CLOCK << (32 + PERIOD_BITS)) / (static_cast<uint64_t>(ch->period_out) * pl->mix_rate);
        int32_t level = ch->volume_out * pl->global_volume;   // 0..4096
        if (!stereo) {
            ch->gain_left = level / 4;
            ch->gain_right = 0;
            continue;
        }
        int32_t pan = 128 + (ch->pan - 128) * pl->separation / 256;
        ch->gain_left = level * (256 - pan) / 1024;
        ch->gain_right = level * pan / 1024;
    }
}
