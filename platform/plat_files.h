// plat_files: the Linux side of file and folder handling. The engine names files the game's way
// (backslashes, case-insensitive); these functions turn such names into real paths and do the
// few things the C runtime alone cannot: folders, durable replacement, child processes.
#pragma once

#include <cstddef>
#include <cstdio>

// Copies `name` to `out` with every '\\' turned into '/'. When the exact path does not exist,
// each existing folder level and the final name are matched case-insensitively against the disk,
// so "Data\\Texts.txt" finds "data/texts.txt". Returns 0 when `out` is too small.
int plat_files_native_path(const char *name, char *out, size_t size);

// fopen on a game name (see plat_files_native_path). A 't' in the mode is dropped.
FILE *plat_files_fopen(const char *name, const char *mode);

// 1 when the game name is an existing regular file, else 0.
int plat_files_exists(const char *name);

// Last modification time of a file (game name) in nanoseconds since 1970; -1 when it is missing.
long long plat_files_mtime(const char *name);
// 1 when the game name is an existing folder that this process may write into.
int plat_files_dir_writable(const char *name);

// Creates one folder level (game name); 1 when it exists afterwards.
int plat_files_mkdir(const char *name);

// Calls `fn` with the name of every regular file in a folder (game name), in no set order.
// Returns how many there were, or -1 when the folder cannot be read.
int plat_files_list(const char *folder, void (*fn)(const char *name, void *context), void *context);

// remove() and rename() on game names; 0 on success like the C runtime.
int plat_files_remove(const char *name);
int plat_files_rename(const char *from, const char *to);

// Flushes a stream and forces its data to the disk; 0 on success.
int plat_files_sync(FILE *stream);

// Renames `temp` over `dest` in one step and makes the rename durable; 0 on success. After a
// crash at any moment the destination holds either its old or its new contents.
int plat_files_replace(const char *temp, const char *dest);

// Current directory in game form: backslashes, ending with one. 0 when it does not fit.
int plat_files_cwd_get(char *out, size_t size);

// Base of the per-user data folders in game form, without a trailing backslash:
// $XDG_DATA_HOME, else $HOME/.local/share. Created when missing. 0 when there is none.
int plat_files_user_base_get(char *out, size_t size);
// The same for the per-user settings: $XDG_CONFIG_HOME, else $HOME/.config.
int plat_files_config_base_get(char *out, size_t size);

// Starts `program` (a game name) with `dir` as its current directory (null: ours) and argv
// {program name, null}. With `wait`, returns its exit status (128 + signal number when it was
// killed); without, returns 0 once it has started. -1 when it could not be started.
int plat_files_run(const char *program, const char *dir, int wait);

// The folder holding the game's data, as described for the start-up: $VELTRAMONDO_DATA, else the
// executable's folder when `pack_name` lies there, else the installed data folder beside it
// (<prefix>/share/games/veltramondo for <prefix>/games/veltramondo) when it exists. Native form.
// 0 when none of them applies.
int plat_files_data_folder_find(const char *pack_name, char *out, size_t size);

// chdir on a native or game path; 0 on success.
int plat_files_chdir(const char *path);
