// The line reader of the text data files (world definitions, levels): one line at a time, ended
// by a carriage return, with control characters dropped.
#pragma once

#include "kx/kx_io/kx_io.h"

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

constexpr int DEF_LINE_SIZE = 10000;    // 9999 characters and the terminator
constexpr int DEF_LINE_TOO_LONG = -1;
// Said of a file whose lines end in LF alone (see def_line_ends_lf); messages about such a file
// add it in brackets.
constexpr const char DEF_LINE_LF_HINT[] = "the file's lines end in LF alone; save it with CR LF line ends";

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Reads one line into `line` (which holds `size` bytes). Bytes above 31 are kept; other bytes
// below 32 vanish, except 13, which ends the line and takes the byte after it along; byte 255 and
// the end of the file also end the line. Returns 1 only for an empty line at the end of the file,
// 0 for any other line, DEF_LINE_TOO_LONG (nothing reported) when the line does not fit.
int def_line_read(KX_IO *file, char *line, int size);

// The same into a buffer of DEF_LINE_SIZE bytes; a longer line is a fatal game error ("ERROR :
// Line is too long! ( maximun 9999 )") and gives DEF_LINE_TOO_LONG: the caller stops reading.
int read_def_line(KX_IO *file, char *line);

// 1 when the file holds LF bytes and no CR: its lines end as most Linux editors write them, and
// the reader takes it all for one long line. The read position is left where it was.
int def_line_ends_lf(KX_IO *file);
