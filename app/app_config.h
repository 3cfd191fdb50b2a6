// app_config: the configuration start-up. The system check, the data folder, the names read from
// "data\\texts.txt", the per-user folder with the settings file, and the saved language.
#pragma once

// The system check that runs before any engine module. 1: go on.
int Config_System_Check();

// Makes the game's data folder the current directory (VELTRAMONDO_DATA, else the executable's
// folder when the pack lies there, else the installed share folder). 0 when none was found and
// the current directory stays as it is.
int Config_Data_Folder_Enter(const char *pack_name);

// One string of the "Application" section of "data\\texts.txt" (buffer of size + 1 bytes);
// the number of characters read, 0 when the key is missing.
int Config_Text_Get(const char *key, char *buffer, int size);

// Builds the per-user folder from the title, prepares the settings file `ini_file` on first
// start and tells the memory manager where its statistics go. The game goes on whatever the
// result (1: the settings file is there).
int Config_Start(const char *ini_file, const char *title);

// "Application"/"Language" from the settings file: 1 with *language set when the key exists.
int Config_Language_Get(int *language);

// An integer key of the settings file, read without a report when it is missing: 1 with *value
// set when the key exists.
int Config_Int_Get(const char *section, const char *key, int *value);
