// Fuzz target: any bytes as a message file (byte 0 odd: a credits file). The reader either keeps
// at most the kind's limit of texts, each shorter than the line buffer, or refuses the file.
#include "fuzz_texts_common.h"

#include "app/app_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_texts_start();
    if (size < 1) return 0;
    GAME_TEXT_KIND kind = (data[0] & 1) ? GAME_TEXT_CREDITS : GAME_TEXT_MESSAGES;
    void *copy = kx_mem_malloc(size);
    if (!copy) return 0;
    std::memcpy(copy, data, size);
    KX_IO *file = kx_io_mem_open("messages", static_cast<uint8_t *>(copy) + 1, static_cast<uint32_t>(size - 1));
    if (!file) return 0;
    TEXTS_READ_RESULT r = Texts_Read(file, kind);
    kx_io_fclose(file);
    kx_mem_free(copy);
    int count = kind == GAME_TEXT_CREDITS ? Game_Credits_Count() : Game_Messages_Count();
    int max = kind == GAME_TEXT_CREDITS ? GAME_CREDITS_MAX : GAME_MESSAGES_MAX;
    require(count <= max);
    require(r != TEXTS_READ_NO_MEMORY);
    for (int i = 0; i < count; i++) {
        const char *t = kind == GAME_TEXT_CREDITS ? Game_Credit_Line(i) : Game_Message(i);
        require(t && std::strlen(t) < TEXTS_LINE_SIZE - 1);
    }
    require(Game_Message(-1)[0] == 0 && Game_Credit_Line(max)[0] == 0);
    Texts_Free();
    return 0;
}
