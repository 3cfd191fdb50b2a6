// kx_io_settings: the per-user folder (<data home>\Pellovar\<title>\) and the first-start
// preparation of the settings file from "Default.ini" or the set-up tools.
#include "kx/kx_io/kx_io_local.h"

#include "platform/plat_files.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Per-user folder
// ---------------------------------------------------------------------------------------------

void kx_io_title_to_folder(const char *title, char *out, size_t size)
{
    if (!out || size == 0) return;
    size_t n = 0;
    // '/' joins the characters Windows refuses: here it would split the folder in two.
    for (const char *p = title ? title : ""; *p && n + 1 < size; p++)
        out[n++] = std::strchr("\"&'*:?\\`/", *p) ? '_' : *p;
    out[n] = 0;
}

int kx_io_app_folder_init(const char *settings_name, const char *title)
{
    if (settings_name) kx_io_strcpy(kx_io.settings_name, sizeof kx_io.settings_name, settings_name);
    kx_io.user_dir[0] = 0;

    char base[KX_IO_PATH_MAX];
    if (!plat_files_user_base_get(base, sizeof base)) {
        // No per-user data home at all: everything lives beside the game.
        plat_files_remove("Warning.txt");
        return 0;
    }
    char folder_title[256], folder[KX_IO_PATH_MAX];
    kx_io_title_to_folder(title, folder_title, sizeof folder_title);
    if (!kx_io_join(folder, sizeof folder, base, "\\Pellovar\\")) return 0;
    plat_files_mkdir(folder);
    if (!kx_io_join(folder, sizeof folder, folder, folder_title) || !kx_io_join(folder, sizeof folder, folder, "\\"))
        return 0;
    plat_files_mkdir(folder);
    // A folder that cannot be written is no use: files then go to the current directory.
    if (!plat_files_dir_writable(folder)) return 0;
    kx_io_strcpy(kx_io.user_dir, sizeof kx_io.user_dir, folder);

    if (kx_io_report_flag()) {
        char warning[KX_IO_PATH_MAX];
        kx_io_write_folder_get("Warning.txt", warning);
        if (kx_io_join(warning, sizeof warning, warning, "Warning.txt")) plat_files_remove(warning);
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Settings file
// ---------------------------------------------------------------------------------------------

int kx_io_settings_prepare(const char *settings_name, const char *title)
{
    kx_io_app_folder_init(settings_name, title);
    if (!settings_name || !*settings_name) return 0;

    char path[KX_IO_PATH_MAX];
    if (kx_io_write_folder_get(settings_name, path) && !kx_io_join(path, sizeof path, path, settings_name)) return 0;
    if (plat_files_exists(path)) return 1;
    if (kx_io_exists("Default.ini", KX_IO_WHERE_DISK)) return kx_io_copy(settings_name, "Default.ini", KX_IO_WHERE_DISK);
    if (kx_io_exists("KXSetup.ini", KX_IO_WHERE_DISK))
        return kx_io_run_wait(kx_io_exists("ScreenChooser.exe", KX_IO_WHERE_DISK) ? "ScreenChooser.exe" : "ScrChoos.exe");
    if (kx_io_exists("KXConfig.ini", KX_IO_WHERE_DISK))
        return kx_io_run_wait(kx_io_exists("OptionsPanel.exe", KX_IO_WHERE_DISK) ? "OptionsPanel.exe" : "OptPanel.exe");
    return 0;
}
