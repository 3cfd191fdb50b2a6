// kx_io_settings: the per-user folder (<data home>\Pellovar\<title>\), the settings folder
// (<config home>\<title in lower case>\), and the first-start preparation of the settings file:
// moved from where older versions kept it, or made from "Default.ini" or the set-up tools.
#include "kx/kx_io/kx_io_local.h"

#include "platform/plat_files.h"

#include <cctype>
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

// Where Linux keeps settings: the settings file alone lives there, apart from the player's data.
static void kx_io_settings_folder_init(const char *title)
{
    kx_io.settings_dir[0] = 0;
    if (kx_io.override_dir[0]) return;   // the override folder takes the settings file too
    char base[KX_IO_PATH_MAX], name[256], folder[KX_IO_PATH_MAX];
    if (!plat_files_config_base_get(base, sizeof base)) return;
    kx_io_title_to_folder(title, name, sizeof name);
    for (char *p = name; *p; p++) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    if (!kx_io_join(folder, sizeof folder, base, "\\") || !kx_io_join(folder, sizeof folder, folder, name)) return;
    plat_files_mkdir(folder);
    if (!kx_io_join(folder, sizeof folder, folder, "\\") || !plat_files_dir_writable(folder)) return;
    kx_io_strcpy(kx_io.settings_dir, sizeof kx_io.settings_dir, folder);
}

int kx_io_app_folder_init(const char *settings_name, const char *title)
{
    if (settings_name) kx_io_strcpy(kx_io.settings_name, sizeof kx_io.settings_name, settings_name);
    kx_io.user_dir[0] = 0;
    kx_io_settings_folder_init(title);

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

// Older versions kept the settings file in the per-user folder: it moves to the settings folder,
// once. It is written whole at the new place (beside it, forced to the disk, renamed) before the
// old one goes, so that a crash leaves at least one complete copy; when it cannot be written
// there, it stays where it is and is used from there. 1 when a settings file was found.
static int kx_io_settings_move(const char *to)
{
    char from[KX_IO_PATH_MAX];
    if (kx_io.override_dir[0] || !kx_io.settings_dir[0] || !kx_io.user_dir[0]) return 0;
    if (!kx_io_join(from, sizeof from, kx_io.user_dir, kx_io.settings_name) || !plat_files_exists(from)) return 0;
    if (kx_io_copy(to, from, KX_IO_WHERE_DISK))
        plat_files_remove(from);
    else
        kx_io.settings_dir[0] = 0;
    return 1;
}

int kx_io_settings_prepare(const char *settings_name, const char *title)
{
    kx_io_app_folder_init(settings_name, title);
    if (!settings_name || !*settings_name) return 0;

    char path[KX_IO_PATH_MAX];
    kx_io_strcpy(path, sizeof path, kx_io_settings_path_get());
    if (plat_files_exists(path) || kx_io_settings_move(path)) return 1;
    if (kx_io_exists("Default.ini", KX_IO_WHERE_DISK)) return kx_io_copy(path, "Default.ini", KX_IO_WHERE_DISK);
    if (kx_io_exists("KXSetup.ini", KX_IO_WHERE_DISK))
        return kx_io_run_wait(kx_io_exists("ScreenChooser.exe", KX_IO_WHERE_DISK) ? "ScreenChooser.exe" : "ScrChoos.exe");
    if (kx_io_exists("KXConfig.ini", KX_IO_WHERE_DISK))
        return kx_io_run_wait(kx_io_exists("OptionsPanel.exe", KX_IO_WHERE_DISK) ? "OptionsPanel.exe" : "OptPanel.exe");
    return 0;
}
