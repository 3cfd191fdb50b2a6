// The difficulties and the rules each changes; Normal returns every level value unchanged, so
// that its games, traces and recordings are those of the game without a choice.
#include "game/game_difficulty.h"

#include "game/game_text.h"

#include <cstring>

DIFFICULTY difficulty = {DIFFICULTY_NORMAL, DIFFICULTY_NORMAL, -1};

namespace {

struct DIFFICULTY_RULES {
    const char *name;
    int message;
    int lives;
    int speed_percent;
    int bonus_quarters;
};

constexpr DIFFICULTY_RULES rules[DIFFICULTY_COUNT] = {
    {"normal", MSG_NORMAL, 3, 100, 4},
    {"easy", MSG_EASY, 5, 80, 4},
    {"hard", MSG_HARD, 2, 120, 3},
};

int valid(int d)
{
    return d >= 0 && d < DIFFICULTY_COUNT ? d : DIFFICULTY_NORMAL;
}

const DIFFICULTY_RULES &rules_of(int d)
{
    return rules[valid(d)];
}

} // namespace

const char *Difficulty_Name(int d)
{
    return rules_of(d).name;
}

int Difficulty_Parse(const char *word)
{
    for (int d = 0; d < DIFFICULTY_COUNT; d++)
        if (word && !std::strcmp(word, rules[d].name)) return d;
    return -1;
}

int Difficulty_Message(int d)
{
    return rules_of(d).message;
}

int Difficulty_For_Game()
{
    return valid(difficulty.forced >= 0 ? difficulty.forced : difficulty.chosen);
}

int Difficulty_Lives()
{
    return rules_of(difficulty.current).lives;
}

int Difficulty_Speed(int speed)
{
    return speed * rules_of(difficulty.current).speed_percent / 100;
}

int Difficulty_Bonus(int percentage)
{
    return percentage * rules_of(difficulty.current).bonus_quarters / 4;
}

int Difficulty_Ball_Waits()
{
    return difficulty.current == DIFFICULTY_EASY;
}
