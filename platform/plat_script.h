// plat_script snapshots: a scripted F9 (scan code 67) asks for a snapshot as the keyboard's F9
// does through the window, so that key scripts can take pictures. The rest of the script
// interface is in plat_core.h.
#pragma once

// 1 once after a pass in which the script pressed F9.
int plat_script_snapshot_take();
