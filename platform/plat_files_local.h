// plat_files_local: what plat_files leaves to the file of each platform.
#pragma once

#include <string>

// Makes the entries of `folder` (a new name given by a rename) last: synced to the disk on the
// desktop, saved to the browser's store in the page.
void plat_files_folder_keep(const std::string &folder);
