// app_config: the configuration start-up (see app_config.h).
#include "app/app_config.h"

#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"
#include "platform/plat_files.h"

static const char CONFIG_TEXTS[] = "data\\texts.txt";

int Config_System_Check()
{
    // The desktop version of this check switches off the sticky and filter keys for the run and
    // insists on DirectX 5 or newer. A Linux desktop has no such accessibility traps to defuse
    // and the SDL back end needs no DirectX, so the check always passes; it keeps its place in
    // the start-up order so that anything a port needs to verify first goes here.
    return 1;
}

int Config_Data_Folder_Enter(const char *pack_name)
{
    char folder[KX_IO_PATH_MAX];
    if (!plat_files_data_folder_find(pack_name, folder, sizeof folder)) return 0;
    return plat_files_chdir(folder) == 0;
}

int Config_Text_Get(const char *key, char *buffer, int size)
{
    return kx_io_ini_get_string("Application", key, buffer, size, CONFIG_TEXTS);
}

int Config_Start(const char *ini_file, const char *title)
{
    int result = kx_io_settings_prepare(ini_file, title);
    kx_mem_settings_file_set(kx_io_settings_path_get());
    return result;
}

int Config_Language_Get(int *language)
{
    return Config_Int_Get("Application", "Language", language);
}

int Config_Int_Get(const char *section, const char *key, int *value)
{
    const char *settings = kx_io_settings_path_get();
    if (!settings || !kx_io_exists(settings, KX_IO_WHERE_DISK)) return 0;
    int read = 0;
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_ON);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_ON);
    kx_io_ini_get_int(section, key, &read, settings);
    int found = !kx_io_ini_failed(1);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_SECTION_OFF);
    kx_io_ini_set_mode(nullptr, KX_IO_INI_QUIET_KEY_OFF);
    if (found && value) *value = read;
    return found;
}
