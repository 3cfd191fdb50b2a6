// plat_files_local: what plat_files leaves to the file of each platform.
#pragma once

#include <string>

// Makes a file just written whole under its name `path` (a rename in its folder) last: the
// folder synced to the disk on the desktop, the files saved to the browser's store in the page.
void plat_files_kept(const std::string &path);
