// kx_io_local: state and helpers shared by the files of the kx_io module only.
#pragma once

#include "kx/kx_io/kx_io.h"

// ---------------------------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------------------------

// One string file kept open with KEEP_OPEN.
struct KX_IO_INI_CACHE {
    KX_IO *file;
    char *section;          // section last found in this file, or null
    long section_pos;       // position just after that section's header line
    KX_IO_INI_CACHE *next;
};

// The module's global record.
struct KX_IO_STATE {
    KX_IO_SETTINGS *settings;
    int module;                      // number from kx_error_register, -1 before kx_io_init
    int last_error;
    KX_IO *open_list;
    int open_count;
    char start_dir[KX_IO_PATH_MAX];  // current directory at start-up, ending with '\\'
    char override_dir[KX_IO_PATH_MAX];   // U3_APP_DATA_PATH + '\\', empty when unset
    char user_dir[KX_IO_PATH_MAX];       // per-user folder ending with '\\', empty when unset
    char settings_dir[KX_IO_PATH_MAX];   // settings folder ending with '\\', empty when unset
    char settings_name[KX_IO_PATH_MAX];  // settings file name
    char settings_path[KX_IO_PATH_MAX];  // the answer of kx_io_settings_path_get
    KX_IO_PACK_TOC toc;                  // the data pack's table (uppercased), count 0 if none
    char pack_path[KX_IO_PATH_MAX];      // the pack as opened
    long bytes_read;
    KX_IO_INI_CACHE *ini_cache;
    int ini_quiet;                   // KX_IO_INI_QUIET_KEY_ON | KX_IO_INI_QUIET_SECTION_ON bits
    int ini_failed;
};

extern KX_IO_STATE kx_io;

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

// Records `code` and raises it through kx_error; it is shown when the report flag is set, or
// always when `always`. The detail is printf-style and may be null.
void kx_io_raise(int always, int code, const char *detail_format = nullptr, ...);
int kx_io_report_flag();

// Finds a name in the pack's table (case-insensitive); 1-based index, 0 when absent.
uint32_t kx_io_pack_find(const char *name);

// Bounded string copy and join; 0 when the result did not fit (out is then empty).
int kx_io_strcpy(char *out, size_t size, const char *text);
int kx_io_join(char *out, size_t size, const char *folder, const char *name);

// 1 when `name` carries no folder ('\\' or '/').
int kx_io_is_bare(const char *name);

// Path to try on disk for a bare name: override folder, else per-user folder. 0 when neither.
int kx_io_private_path(const char *name, char *out, size_t size);

void kx_io_ini_cache_destroy();
