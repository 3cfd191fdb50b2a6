// plat_loop: who runs the frame loop. The desktop calls the pass again and again; the browser
// calls it once per animation frame and must get control back in between.
#pragma once

// One pass of the frame loop: 0 to go on, else 1 with the exit status in *exit_code.
using PLAT_PASS_FN = int (*)(int *exit_code);
// What follows the loop, where the platform cannot return to the caller (the browser).
using PLAT_END_FN = void (*)(int exit_code);

// Runs passes until one ends the loop and returns its exit status. Where the loop cannot
// return (the browser), `end` is called with the status instead and the program ends there.
int plat_loop_run(PLAT_PASS_FN pass, PLAT_END_FN end);
