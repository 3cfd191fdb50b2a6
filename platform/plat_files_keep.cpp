// plat_files_keep on Linux: a rename lives in its folder; syncing the folder makes the new name
// survive a power cut.
#include "platform/plat_files_local.h"

#include <fcntl.h>
#include <unistd.h>

void plat_files_kept(const std::string &path)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}
