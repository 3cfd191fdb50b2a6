// plat_web: what the browser's platform files share among themselves.
#pragma once

// Runs the callbacks of the periodic timers that are due (the browser has no timer threads:
// the frame loop and every wait call this on the main thread).
void plat_timer_poll();
