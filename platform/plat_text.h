// plat_text: the characters the keyboard types, from SDL's text input, so that every keyboard
// layout types its own letters. They wait in a short queue until the frame loop takes them;
// key scripts type into the same queue.
#pragma once

#include <cstdint>

// Adds typed text (UTF-8) to the queue. Malformed bytes are passed over; characters beyond the
// queue's room are dropped.
void plat_text_push(const char *utf8);
// Takes the queued characters (Unicode code points), oldest first: up to `max` into `out`, the
// rest are dropped. Returns how many were written.
int plat_text_read(uint32_t *out, int max);
