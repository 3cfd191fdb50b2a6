// The levels file parses with the game's rules, holds enough levels of rising difficulty, and
// uses all three brick families.
#include "tests/content/content_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

namespace {

struct level {
    std::vector<std::string> rows;
    std::map<char, int> set;
};

// Reads the blocks as the game does; `error` receives the first refusal.
std::vector<level> parse_levels(const std::string &text, std::string &error)
{
    std::vector<level> levels;
    level cur;
    bool rows_closed = false;
    for (const std::string &line : content_cr_lines(text)) {
        if (line.empty()) continue;
        char key = line[0];
        std::string value = line.substr(1);
        int n = std::atoi(value.c_str());
        switch (key) {
        case '!':
            if (cur.rows.size() >= 8 || rows_closed) return error = "too many rows", levels;
            if (value.size() > 14) return error = "row too long: " + value, levels;
            for (char c : value)
                if (!(c == ' ' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
                    return error = std::string("unknown block type ") + c, levels;
            cur.rows.push_back(value + std::string(14 - value.size(), ' '));
            break;
        case '@':
            while (cur.rows.size() < 8) cur.rows.push_back(std::string(14, ' '));
            rows_closed = true;
            cur.set['@'] = n;
            break;
        case '>':
            if (!cur.set.count('@') || n < cur.set['@']) return error = "maximum speed below initial speed", levels;
            cur.set['>'] = n;
            break;
        case '<': case '#': case '$': case '%': case '&': case '*': case '{': case '^':
            cur.set[key] = n;
            break;
        case '}':
            cur.set['}'] = n;
            levels.push_back(cur);
            cur = level();
            rows_closed = false;
            if (levels.size() + 1 >= 50) return error = "too many levels", levels;
            break;
        default:
            break;
        }
    }
    return levels;
}

std::vector<level> load(std::string &error)
{
    std::string text;
    EXPECT_TRUE(content_read(content_assets_dir() + "/data/levels.txt", text));
    return parse_levels(text, error);
}

} // namespace

TEST(Levels, ParseWithTheGameRulesEachItsOwnAndDifficultyRises)
{
    std::string error;
    std::vector<level> levels = load(error);
    EXPECT_EQ(error, "");
    ASSERT_GE(levels.size(), 30u);
    for (size_t i = 0; i < levels.size(); i++) {
        const level &lv = levels[i];
        SCOPED_TRACE("level " + std::to_string(i + 1));
        ASSERT_EQ(lv.rows.size(), 8u);
        for (char k : {'@', '>', '<', '#', '$', '%', '&', '*', '{', '^', '}'}) EXPECT_TRUE(lv.set.count(k)) << "setting " << k;
        // Ranges of the settings; ball speeds are 16-bit in the game.
        const std::tuple<char, int, int> ranges[] = {{'#', 1, 4},      {'$', 1, 4},      {'%', 1, 8},
                                                     {'&', 1, 4},      {'*', 1, 100000}, {'<', 0, 100000},
                                                     {'{', 0, 100000}, {'^', 0, 100},    {'}', 0, 50},
                                                     {'>', 1, 32767}};
        for (auto [k, lo, hi] : ranges) EXPECT_TRUE(lv.set.at(k) >= lo && lv.set.at(k) <= hi) << k << " = " << lv.set.at(k);
        // A level needs a brick that can break, or it would be won at once.
        bool breakable = false;
        for (const std::string &r : lv.rows)
            for (char c : r) breakable = breakable || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        EXPECT_TRUE(breakable);
    }
    std::set<std::vector<std::string>> layouts;
    bool metal = false, one_hit = false, two_hit = false;
    for (const level &lv : levels) {
        EXPECT_TRUE(layouts.insert(lv.rows).second) << "a layout repeats";
        for (const std::string &r : lv.rows)
            for (char c : r) {
                metal = metal || (c >= '0' && c <= '9');
                one_hit = one_hit || (c >= 'A' && c <= 'Z');
                two_hit = two_hit || (c >= 'a' && c <= 'z');
            }
    }
    EXPECT_TRUE(metal && one_hit && two_hit);
    // The last levels are faster and busier than the first ones.
    const level &first = levels.front(), &last = levels.back();
    EXPECT_GT(last.set.at('@'), first.set.at('@'));
    EXPECT_GT(last.set.at('}'), first.set.at('}'));
    EXPECT_LT(last.set.at('*'), first.set.at('*'));
    for (size_t i = 1; i < levels.size(); i++) EXPECT_GE(levels[i].set.at('@'), levels[i - 1].set.at('@')) << "level " << i + 1;
}
