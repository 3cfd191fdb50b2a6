// kx_dsp alerts: a message box, or a line in "Warning.txt" while a box cannot be shown over the
// fullscreen picture (and always, as well, while the display's report flag is set).
#include "kx/kx_dsp/kx_dsp_local.h"

#include "kx/kx_io/kx_io.h"
#include "platform/plat_core.h"
#include "platform/plat_display.h"
#include "platform/plat_files.h"

#include <cstdio>

namespace {

// "Warning.txt" in the folder the program writes to (the current one before file I/O starts).
void warning_path(char *out)
{
    char folder[KX_IO_PATH_MAX];
    int fits = kx_io_write_folder_get("Warning.txt", folder)
                   ? std::snprintf(out, KX_IO_PATH_MAX, "%sWarning.txt", folder)
                   : std::snprintf(out, KX_IO_PATH_MAX, "%s", folder);
    if (fits < 0 || fits >= KX_IO_PATH_MAX) std::snprintf(out, KX_IO_PATH_MAX, "Warning.txt");
}

void warning_log(const char *text, const char *title)
{
    char path[KX_IO_PATH_MAX];
    warning_path(path);
    FILE *f = plat_files_fopen(path, "a");
    if (!f) return;
    std::fprintf(f, "%s: %s\r\n", title ? title : "Error", text ? text : "");
    std::fclose(f);
}

} // namespace

void kx_dsp_warning_file_remove()
{
    char path[KX_IO_PATH_MAX];
    warning_path(path);
    plat_files_remove(path);
}

int kx_dsp_alert(const char *text, const char *title, unsigned flags)
{
    bool fullscreen_gl = kx_dsp.created && kx_dsp.fullscreen && kx_dsp.use_3d;
    bool report = kx_dsp.setup && kx_dsp.setup->report;
    // "SkipMessageBox" keeps boxes away (their messages still reach the log), but never an error
    // box: a fatal error must not end the game without a word on the screen.
    bool error = (flags & 0xF0) == KX_DSP_ALERT_ERROR;
    bool skip = kx_dsp.setup && kx_dsp.skip_message_box && !error;
    if (fullscreen_gl || report || skip) warning_log(text, title);
    if (fullscreen_gl || skip) return 1;

    // A fullscreen display without the 3D interface goes to a window for the box.
    bool switched = false;
    if (kx_dsp.created && kx_dsp.fullscreen && !kx_dsp.switching) switched = kx_dsp_fullscreen_toggle() != 0;
    std::atomic<int> *active = kx_dsp.setup ? kx_dsp.setup->window_active : nullptr;
    int was_active = active ? active->load() : 0;
    if (was_active) kx_dsp_flag_set(active, 0);
    if (kx_dsp.created) plat_window_topmost(0);
    int answer = plat_alert(text, title, flags);
    if (was_active) kx_dsp_flag_set(active, 1);
    if (switched) kx_dsp_fullscreen_toggle();
    return answer;
}

int kx_dsp_exit_status;

void kx_dsp_quit_failed()
{
    kx_dsp_exit_status = 1;
    kx_dsp_quit();
}

void kx_dsp_quit()
{
    if (kx_dsp.setup) kx_dsp_flag_set(kx_dsp.setup->window_active, 0);
    plat_message_post(PLAT_WM_CLOSE, 0, 0);
}
