// The kept game's file: what it writes reads back, and bytes that are not a whole, valid kept
// game are refused, whatever part of them is wrong.
#include "game/game_difficulty.h"
#include "game/game_kept.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

std::string encoded(const KEPT_GAME &k)
{
    uint8_t out[KEPT_FILE_MAX];
    const size_t n = Kept_Encode(&k, out);
    return std::string(reinterpret_cast<const char *>(out), n);
}

int decode(const std::string &bytes, KEPT_GAME *k)
{
    return Kept_Decode(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), k);
}

} // namespace

TEST(KeptGame, WrittenGamesReadBackAndDamagedOnesAreRefused)
{
    const KEPT_GAME shipped{"", DIFFICULTY_HARD, 3, 0, 4200, 2};
    const KEPT_GAME set{"my-set_2.x", DIFFICULTY_EASY, 47, 2, 123456, 9};
    for (const KEPT_GAME &k : {shipped, set}) {
        KEPT_GAME got{};
        ASSERT_EQ(decode(encoded(k), &got), 1) << k.set;
        EXPECT_STREQ(got.set, k.set);
        EXPECT_EQ(std::memcmp(&got.difficulty, &k.difficulty, 5 * sizeof(int32_t)), 0) << k.set;
    }
    EXPECT_EQ(encoded({"no/name", 0, 1, 0, 0, 1}), "") << "a name that is no set's is not written";

    const std::string good = encoded(set);
    // A field changed with the check word made right again: only the field's own check refuses it.
    auto with = [&](size_t at, int32_t value) {
        KEPT_GAME k = set;
        std::memcpy(reinterpret_cast<char *>(&k) + at, &value, 4);
        return encoded(k);
    };
    const std::string bad_magic = "XMKG" + good.substr(4);
    std::string flipped = good;
    flipped[20] ^= 1;
    const struct {
        std::string bytes;
        const char *what;
    } cases[] = {
        {"", "empty"},
        {good.substr(0, good.size() - 1), "cut short"},
        {good + "x", "a byte too many"},
        {bad_magic, "another file"},
        {flipped, "a changed byte"},
        {with(offsetof(KEPT_GAME, difficulty), 3), "an unknown difficulty"},
        {with(offsetof(KEPT_GAME, level), 0), "level 0"},
        {with(offsetof(KEPT_GAME, cycle), -1), "a negative cycle"},
        {with(offsetof(KEPT_GAME, score), -5), "a negative score"},
        {with(offsetof(KEPT_GAME, lives), 0), "no lives"},
        {with(offsetof(KEPT_GAME, lives), KEPT_LIVES_MAX + 1), "too many lives"},
    };
    for (const auto &c : cases) {
        KEPT_GAME got = shipped;
        EXPECT_EQ(decode(c.bytes, &got), 0) << c.what;
        EXPECT_EQ(got.score, shipped.score) << c.what << ": the record was changed";
    }
}
