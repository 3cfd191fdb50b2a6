// assetgen music: the game's pieces are written as tables (ag_music_pieces.cpp), played by
// synthesised instruments (ag_music_voices.cpp) and arranged into S3M modules
// (ag_music_arrange.cpp).
//
// Notation, one 64-row pattern per section, 16 rows a bar, 4 rows a beat:
// - Melodies: tokens "degree[:rows]" separated by spaces. A degree is 1..7 of the piece's scale
//   counted from its key note, with a leading b or # for a flat or sharp and trailing + or - for
//   each octave up or down; "r" is a rest (the note is cut) and "~" holds the previous note on.
//   The length in rows carries over to the next token until another is given. "|" marks a bar
//   line; every bar must come to 16 rows.
// - Chords: tokens of a root degree (with b or #) and an optional quality, M major, m minor,
//   s suspended fourth (else the scale's own triad); the tokens share the 64 rows equally.
// - Rhythms (drum grooves, bass and arpeggio figures): one character per row of a bar.
#pragma once

#include "tools/assetgen/ag_s3m.h"

#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Instruments
// ---------------------------------------------------------------------------------------------

enum ag_voice {
    AG_KICK, AG_SNARE, AG_HAT, AG_OPEN_HAT, AG_CRASH,   // drum kit
    AG_BASS, AG_SUB_BASS,                                // bass
    AG_SQUARE, AG_SAW, AG_FLUTE, AG_BRASS,               // sustained leads
    AG_BELL, AG_PLUCK,                                   // struck, for leads and arpeggios
    AG_PAD,
    AG_VOICE_COUNT
};

// The instrument as a module sample: tuned so that C-4 sounds at middle C, its envelope baked in,
// sustained instruments looping a steady tail. Deterministic.
ag_s3m_sample ag_music_voice(ag_voice voice);

// ---------------------------------------------------------------------------------------------
// Pieces
// ---------------------------------------------------------------------------------------------

// Drum groove, one bar: kick and snare rows use X (accent), x (normal), g (ghost), '.' nothing;
// hat rows x / X closed (normal / accent), o open, '.' nothing.
struct ag_groove {
    const char *name;
    const char *kick, *snare, *hat;
};

// A figure over each bar's chord, one bar. Bass: R root, 3 third, 5 fifth, 8 octave, '-' cut,
// '.' hold. Arpeggio: 1 2 3 the chord's notes from low to high, 4 the lowest an octave up,
// '-' cut, '.' hold.
struct ag_figure {
    const char *name;
    const char *rows;
};

struct ag_section {
    char id;               // the letter the order list uses
    const char *chords;
    const char *groove;    // drum groove, or null for no drums
    const char *fill;      // groove of the fourth bar, or null for the same groove
    const char *bass;      // bass figure, or null
    const char *arp;       // arpeggio figure, or null
    bool pad;              // the chords held on the pad
    bool crash;            // a crash cymbal on the first beat
    const char *lead;      // melody, or null
    const char *second;    // second melody, "=N" for the lead doubled a scale step N below
                           // (=3 a third, =6 a sixth), or null
};

struct ag_piece {
    const char *file;      // game name, "snd\\1.s3m"
    const char *title;
    int key;               // MIDI note of degree 1 of the melodies
    const char *scale;     // major, minor, dorian, mixolydian, harmonic
    int speed, tempo;      // ticks a row and the module's tempo: 6 x tempo / speed beats a
                           // minute (four rows a beat); a tick lasts 2.5 / tempo seconds
    int mix;               // the module's amplification, sets the loudness
    ag_voice lead, second, arp, bass;
    int lead_volume, second_volume, arp_volume;   // 0..64
    std::vector<ag_section> sections;
    const char *order;     // section letters; the song returns to the first after the last
};

// The piece as a module; an error text in *error (and an empty song) when a table is malformed.
ag_s3m_song ag_music_arrange(const ag_piece &piece, std::string *error);

extern const ag_groove AG_GROOVES[];
extern const ag_figure AG_FIGURES[];
extern const ag_piece AG_PIECES[];
extern const int AG_PIECE_COUNT;
