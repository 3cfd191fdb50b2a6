// assetgen music arranger: reads a piece's tables (melodies, chords, grooves and figures in the
// notation of ag_music.h) and writes each section as one pattern of ten channels: kick, snare,
// hats, bass, lead, second melody, arpeggio and a three-note pad. Only notes, instruments and the
// volume column are used, so every S3M player sounds the same.
#include "tools/assetgen/ag_music.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

// ---------------------------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------------------------

enum { CH_KICK, CH_SNARE, CH_HAT, CH_BASS, CH_LEAD, CH_SECOND, CH_ARP, CH_PAD, CHANNELS = CH_PAD + 3 };
const int PANS[CHANNELS] = {7, 8, 10, 7, 6, 9, 11, 3, 8, 12};
constexpr int BAR = 16;
constexpr int BASS_LOW = 36, PAD_LOW = 55, ARP_LOW = 67;   // lowest MIDI note of each register
constexpr int BASS_VOLUME = 50, PAD_VOLUME = 18, CRASH_VOLUME = 44;

struct scale_def {
    const char *name;
    int steps[7];
};

const scale_def SCALES[] = {
    {"major", {0, 2, 4, 5, 7, 9, 11}},      {"minor", {0, 2, 3, 5, 7, 8, 10}},
    {"dorian", {0, 2, 3, 5, 7, 9, 10}},     {"mixolydian", {0, 2, 4, 5, 7, 9, 10}},
    {"harmonic", {0, 2, 3, 5, 7, 8, 11}},
};

// One melody note: the row it starts on, its MIDI note (-1 for a rest) and its place in the
// scale counted in steps from the key note (for the harmony of the second melody).
struct note_event {
    int row, midi, step;
};

struct chord {
    int root;          // semitones above the key note, 0..11
    int third, fifth;  // semitones above the root
};

struct arranger {
    const ag_piece *piece;
    const int *scale;
    std::string error;
};

bool fail(arranger &a, const std::string &where, const std::string &what)
{
    if (a.error.empty()) a.error = std::string(a.piece->title) + ": " + where + ": " + what;
    return false;
}

std::vector<std::string> tokens(const char *text)
{
    std::istringstream in(text ? text : "");
    std::vector<std::string> out;
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

int pitch_of(const arranger &a, int step, int accidental)
{
    int octave = step >= 0 ? step / 7 : -((6 - step) / 7);
    return a.piece->key + 12 * octave + a.scale[step - 7 * octave] + accidental;
}

// ---------------------------------------------------------------------------------------------
// Reading the notation
// ---------------------------------------------------------------------------------------------

// "[b|#]degree[+|-]..." -> scale step and accidental; false when malformed.
bool degree_read(const std::string &t, size_t &i, int &step, int &accidental)
{
    accidental = 0;
    if (i < t.size() && (t[i] == 'b' || t[i] == '#')) accidental = t[i++] == 'b' ? -1 : 1;
    if (i >= t.size() || t[i] < '1' || t[i] > '7') return false;
    step = t[i++] - '1';
    for (; i < t.size() && (t[i] == '+' || t[i] == '-'); i++) step += t[i] == '+' ? 7 : -7;
    return true;
}

bool melody_read(arranger &a, const std::string &where, const char *text, std::vector<note_event> &out)
{
    int row = 0, length = 4, last_bar = 0;
    for (const std::string &t : tokens(text)) {
        if (t == "|") {
            if (row != last_bar + BAR) return fail(a, where, "a bar of " + std::to_string(row - last_bar) + " rows before row " + std::to_string(row));
            last_bar = row;
            continue;
        }
        size_t i = 0, colon = t.find(':');
        std::string head = t.substr(0, colon);
        if (colon != std::string::npos) {
            length = std::atoi(t.c_str() + colon + 1);
            if (length < 1 || length > AG_S3M_ROWS) return fail(a, where, "bad length in \"" + t + "\"");
        }
        if (head == "r") {
            out.push_back({row, -1, 0});
        } else if (head != "~") {
            int step = 0, accidental = 0;
            if (!degree_read(head, i, step, accidental) || i != head.size()) return fail(a, where, "bad note \"" + t + "\"");
            out.push_back({row, pitch_of(a, step, accidental), step});
        }
        row += length;
    }
    if (row != AG_S3M_ROWS) return fail(a, where, "comes to " + std::to_string(row) + " rows, not 64");
    return true;
}

bool chords_read(arranger &a, const std::string &where, const char *text, std::vector<chord> &out)
{
    for (const std::string &t : tokens(text)) {
        size_t i = 0;
        int step = 0, accidental = 0;
        if (!degree_read(t, i, step, accidental) || step < 0 || step > 6) return fail(a, where, "bad chord \"" + t + "\"");
        const int *s = a.scale;
        chord c{(s[step] + accidental + 12) % 12, (s[(step + 2) % 7] - s[step] + 12) % 12, (s[(step + 4) % 7] - s[step] + 12) % 12};
        char quality = i < t.size() ? t[i++] : 0;
        if (quality == 'M') c.third = 4, c.fifth = 7;
        else if (quality == 'm') c.third = 3, c.fifth = 7;
        else if (quality == 's') c.third = 5, c.fifth = 7;
        else if (quality) return fail(a, where, "bad chord quality \"" + t + "\"");
        if (i != t.size()) return fail(a, where, "bad chord \"" + t + "\"");
        out.push_back(c);
    }
    if (out.empty() || AG_S3M_ROWS % out.size() != 0) return fail(a, where, "chord count must divide 64");
    return true;
}

const ag_groove *groove_find(const char *name)
{
    for (const ag_groove *g = AG_GROOVES; name && g->name; g++)
        if (std::strcmp(g->name, name) == 0) return g;
    return nullptr;
}

const char *figure_find(const char *name)
{
    for (const ag_figure *f = AG_FIGURES; name && f->name; f++)
        if (std::strcmp(f->name, name) == 0) return f->rows;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Writing a section
// ---------------------------------------------------------------------------------------------

struct pattern_writer {
    std::vector<ag_s3m_cell> cells = std::vector<ag_s3m_cell>(AG_S3M_ROWS * CHANNELS);

    // midi -1 cuts the note.
    void note(int row, int channel, int midi, int instrument, int volume)
    {
        ag_s3m_cell &c = cells[static_cast<size_t>(row * CHANNELS + channel)];
        if (midi < 0) {
            c.note = AG_S3M_NOTE_CUT;
            return;
        }
        c.note = static_cast<uint8_t>(std::clamp(midi - 12, 0, 119));
        c.instrument = static_cast<uint8_t>(instrument);
        c.volume = static_cast<uint8_t>(std::clamp(volume, 0, 64));
    }
};

// The chord's notes placed in the octave from `low`, lowest first.
std::vector<int> voicing(const ag_piece &p, const chord &c, int low)
{
    std::vector<int> v;
    for (int interval : {0, c.third, c.fifth}) v.push_back(low + ((p.key + c.root + interval - low) % 12 + 12) % 12);
    std::sort(v.begin(), v.end());
    return v;
}

bool rhythm_check(arranger &a, const std::string &where, const char *rows, const char *allowed)
{
    if (!rows || std::strlen(rows) != BAR) return fail(a, where, "a figure or groove must have 16 rows");
    for (const char *r = rows; *r; r++)
        if (!std::strchr(allowed, *r)) return fail(a, where, std::string("bad character '") + *r + "'");
    return true;
}

int drum_volume(char c)
{
    return c == 'X' ? 64 : c == 'x' ? 48 : 22;
}

// Instruments, 1-based: kick, snare, hat, open hat, crash, bass, lead, second, arpeggio, pad.
enum { I_KICK = 1, I_SNARE, I_HAT, I_OPEN_HAT, I_CRASH, I_BASS, I_LEAD, I_SECOND, I_ARP, I_PAD };

bool section_write(arranger &a, const ag_section &s, std::vector<ag_s3m_cell> &out)
{
    const ag_piece &p = *a.piece;
    const std::string where = std::string("section ") + s.id;
    pattern_writer w;
    std::vector<chord> chords;
    if (!chords_read(a, where + " chords", s.chords, chords)) return false;
    const int chord_rows = AG_S3M_ROWS / static_cast<int>(chords.size());

    if (s.groove) {
        const ag_groove *g = groove_find(s.groove), *fill = s.fill ? groove_find(s.fill) : g;
        if (!g || !fill) return fail(a, where, "unknown groove");
        for (const ag_groove *x : {g, fill})
            if (!rhythm_check(a, where, x->kick, "Xxg.") || !rhythm_check(a, where, x->snare, "Xxg.") || !rhythm_check(a, where, x->hat, "xXo."))
                return false;
        for (int row = 0; row < AG_S3M_ROWS; row++) {
            const ag_groove *bar = row >= 3 * BAR ? fill : g;
            char k = bar->kick[row % BAR], n = bar->snare[row % BAR], h = bar->hat[row % BAR];
            if (k != '.') w.note(row, CH_KICK, 60, I_KICK, drum_volume(k));
            if (n != '.') w.note(row, CH_SNARE, 60, I_SNARE, drum_volume(n));
            if (row == 0 && s.crash) w.note(row, CH_HAT, 60, I_CRASH, CRASH_VOLUME);
            else if (h != '.') w.note(row, CH_HAT, 60, h == 'o' ? I_OPEN_HAT : I_HAT, h == 'X' ? 44 : 32);
        }
    }
    if (s.bass) {
        const char *f = figure_find(s.bass);
        if (!f) return fail(a, where, std::string("unknown bass figure ") + s.bass);
        if (!rhythm_check(a, where, f, "R358-.")) return false;
        for (int row = 0; row < AG_S3M_ROWS; row++) {
            const chord &c = chords[static_cast<size_t>(row / chord_rows)];
            char x = f[row % BAR];
            int root = BASS_LOW + (p.key + c.root - BASS_LOW + 120) % 12;
            int midi = x == 'R' ? root : x == '3' ? root + c.third : x == '5' ? root + c.fifth : x == '8' ? root + 12 : -1;
            if (x != '.') w.note(row, CH_BASS, midi, I_BASS, BASS_VOLUME + (row % BAR == 0 ? 6 : 0));
        }
    }
    if (s.arp) {
        const char *f = figure_find(s.arp);
        if (!f) return fail(a, where, std::string("unknown arpeggio figure ") + s.arp);
        if (!rhythm_check(a, where, f, "1234-.")) return false;
        for (int row = 0; row < AG_S3M_ROWS; row++) {
            std::vector<int> v = voicing(p, chords[static_cast<size_t>(row / chord_rows)], ARP_LOW);
            char x = f[row % BAR];
            int midi = x == '-' ? -1 : x == '4' ? v[0] + 12 : x >= '1' && x <= '3' ? v[static_cast<size_t>(x - '1')] : 0;
            if (x != '.') w.note(row, CH_ARP, midi, I_ARP, p.arp_volume - (row % 4 ? 6 : 0));
        }
    }
    if (s.pad)
        for (size_t i = 0; i < chords.size(); i++) {
            std::vector<int> v = voicing(p, chords[i], PAD_LOW);
            bool same = i > 0 && voicing(p, chords[i - 1], PAD_LOW) == v;
            for (int k = 0; k < 3 && !same; k++) w.note(static_cast<int>(i) * chord_rows, CH_PAD + k, v[static_cast<size_t>(k)], I_PAD, PAD_VOLUME);
        }
    std::vector<note_event> lead;
    if (s.lead) {
        if (!melody_read(a, where + " lead", s.lead, lead)) return false;
        for (const note_event &e : lead) w.note(e.row, CH_LEAD, e.midi, I_LEAD, p.lead_volume - (e.row % 4 ? 4 : 0));
    }
    if (s.second && s.second[0] == '=') {
        int below = std::atoi(s.second + 1) - 1;
        if (below < 1 || below > 7 || lead.empty()) return fail(a, where, "a doubled second melody needs a lead and =2..=8");
        for (const note_event &e : lead)
            w.note(e.row, CH_SECOND, e.midi < 0 ? -1 : pitch_of(a, e.step - below, 0), I_SECOND, p.second_volume - (e.row % 4 ? 4 : 0));
    } else if (s.second) {
        std::vector<note_event> second;
        if (!melody_read(a, where + " second", s.second, second)) return false;
        for (const note_event &e : second) w.note(e.row, CH_SECOND, e.midi, I_SECOND, p.second_volume - (e.row % 4 ? 4 : 0));
    }
    // A voice the section leaves out falls silent at its start, so that no held note from the
    // section before (or from the end of the song, at the loop) drones on.
    for (int ch : {CH_LEAD, CH_SECOND, CH_ARP})
        if (w.cells[static_cast<size_t>(ch)].note == AG_S3M_NO_NOTE && !(ch == CH_LEAD ? s.lead : ch == CH_SECOND ? s.second : s.arp))
            w.note(0, ch, -1, 0, 0);
    out = w.cells;
    return true;
}

} // namespace

ag_s3m_song ag_music_arrange(const ag_piece &p, std::string *error)
{
    arranger a{&p, nullptr, ""};
    for (const scale_def &s : SCALES)
        if (std::strcmp(s.name, p.scale) == 0) a.scale = s.steps;
    ag_s3m_song song;
    song.title = p.title;
    song.tempo = p.tempo;
    song.speed = p.speed;
    song.mix_volume = p.mix;
    song.pans.assign(PANS, PANS + CHANNELS);
    if (!a.scale) fail(a, "scale", std::string("unknown scale ") + p.scale);
    for (const ag_section &s : p.sections) {
        song.patterns.emplace_back();
        if (a.scale && !section_write(a, s, song.patterns.back())) break;
    }
    for (const char *o = p.order; *o && a.error.empty(); o++) {
        size_t i = 0;
        while (i < p.sections.size() && p.sections[i].id != *o) i++;
        if (i == p.sections.size()) fail(a, "order", std::string("no section ") + *o);
        song.orders.push_back(static_cast<uint8_t>(i));
    }
    if (a.error.empty() && song.orders.empty()) fail(a, "order", "empty");
    if (!a.error.empty()) {
        if (error) *error = a.error;
        return {};
    }
    for (ag_voice v : {AG_KICK, AG_SNARE, AG_HAT, AG_OPEN_HAT, AG_CRASH, p.bass, p.lead, p.second, p.arp, AG_PAD})
        song.samples.push_back(ag_music_voice(v));
    return song;
}
