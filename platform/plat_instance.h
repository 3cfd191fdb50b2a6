// plat_instance: one running copy per user and game (our stand-in for a named mutex). The first
// copy holds an advisory lock on a file in the per-user folder and listens on a local socket;
// a later copy finds the lock taken and talks to the first one through the socket: "come
// forward" or "close".
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------------------------

// Posted to the running copy's window when a second copy starts.
constexpr uint32_t PLAT_WM_INSTANCE_RAISE = 0x0400 + 0x100;

enum {
    PLAT_INSTANCE_FIRST = 1,     // this is the only copy; the lock is held
    PLAT_INSTANCE_OTHER = 0,     // another copy holds the lock
    PLAT_INSTANCE_ERROR = -1,    // the lock file cannot be used; run without the check
};

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

// Takes the lock "<folder>/<name>.lock" (folder null or "": the current directory).
int plat_instance_acquire(const char *folder, const char *name);
// Drops the lock and stops listening (the window is gone).
void plat_instance_release();
// Asks the copy holding the lock to come forward; 1 when it answered.
int plat_instance_raise_other();
// Asks the copy holding the lock to close; 1 when it answered.
int plat_instance_close_other();
// 1 while some process holds the lock (this one included).
int plat_instance_lock_held(const char *folder, const char *name);
