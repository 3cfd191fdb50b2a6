// Fuzz target: any bytes as a help file. The reader keeps no more lines than the file holds and
// its limit allows, each one fitting the line size, and closes the file.
#include "fuzz_texts_common.h"

#include "app/app_help.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_texts_start();
    fuzz_texts_write(data, size);
    static HELP_FILE help;
    if (Help_File_Read(fuzz_texts_file, &help)) {
        require(help.count >= 0 && help.count <= HELP_LINES_MAX);
        require(help.count <= help.declared || help.count == 0);
        require(help.timeout >= 0);
        for (int i = 0; i < help.count; i++) require(std::strlen(help.lines[i]) <= HELP_LINE_SIZE);
        Help_File_Free(&help);
    }
    require(kx_io_open_count() == 0);
    return 0;
}
