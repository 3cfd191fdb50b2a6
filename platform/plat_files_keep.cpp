// plat_files_keep on Linux: a rename lives in its folder; syncing the folder makes the new name
// survive a power cut.
#include "platform/plat_files_local.h"

#include <fcntl.h>
#include <unistd.h>

void plat_files_folder_keep(const std::string &folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}
