// Particle effects: the file's messages and edge cases, random values, emitters with their
// creation rules and ends, movements, animated textures, tags, and a headless picture of an
// effect advanced by fixed steps from a fixed seed.
#include "tests/world_render/render_fixture.h"
#include "world/particle.h"

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> errors;
std::vector<std::string> loaded_files;

struct Quad {
    uint32_t texture;
    float x, y, w, h, angle, alpha;
};
std::vector<Quad> quads;

class Particles : public ::testing::Test {
protected:
    void SetUp() override
    {
        errors.clear();
        loaded_files.clear();
        quads.clear();
        particle_fx_error_hook_set([](const char *message) { errors.emplace_back(message); });
        // Every file but "missing" loads; its texture is 100 + the number of files loaded so far.
        particle_fx_loader_set([](uint32_t *texture, const char *file_name) {
            loaded_files.emplace_back(file_name);
            *texture = 100u + loaded_files.size();
            return int(std::string(file_name).find("missing") == std::string::npos);
        });
        particle_fx_draw_set([](uint32_t texture, float x, float y, float w, float h, float angle, float alpha) {
            quads.push_back({texture, x, y, w, h, angle, alpha});
        });
        particle_random_seed(12345);
    }
    void TearDown() override
    {
        if (pool) particle_fx_pool_free(pool);
        particle_fx_deinit();
        particle_fx_error_hook_set(nullptr);
        particle_fx_loader_set(nullptr);
        particle_fx_draw_set(nullptr);
    }
    int load(const std::string &text) { return particle_fx_init_text("fx.txt", text.data(), long(text.size())); }
    // Expects the text to fail with exactly this message.
    void expect_error(const std::string &text, const std::string &message)
    {
        errors.clear();
        EXPECT_EQ(load(text), 0) << text;
        ASSERT_FALSE(errors.empty()) << text;
        EXPECT_EQ(errors.back(), message) << text;
    }
    PARTICLE_POOL *pool = nullptr;
};

// One effect with one emitter creating particles of definition 1.
std::string simple(const std::string &emitter, const std::string &particle)
{
    return "%1 = spark.png\n@1\n!2\n## 0\n#A -1\n#B 0 0\n#C 5\n#D 0\n#E 10\n#F 0\n#G 0\n#H 0\n"
           "#I 0 0 0 0 0 0 0 0 0 0 0\n#J 1\n" + emitter + "\n## 1\n#A 100\n#B 0 0\n#G 0\n"
           "#I 1 10 -1 100 0 0 0 0 0 0 0\n" + particle + "\n";
}

} // namespace

TEST_F(Particles, RandomValues)
{
    PARTICLE_RANDOM fixed = {0, 250, 0};
    EXPECT_EQ(particle_mov_get_num(&fixed), 250);
    // 5#1 draws 1..5, every value in time, nothing outside.
    PARTICLE_RANDOM range = {1, 5, 1};
    std::set<int> seen;
    for (int i = 0; i < 500; i++) seen.insert(particle_mov_get_num(&range));
    EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4, 5}));
    PARTICLE_RANDOM wide = {1, INT32_MIN, INT32_MAX};
    (void)particle_mov_get_num(&wide);
    PARTICLE_RANDOM odd = {7, 1, 2};
    EXPECT_EQ(particle_mov_get_num(&odd), 0);
    EXPECT_EQ(errors.back(), "particle_mov_get_num: unknown type 7");
    // The same seed gives the same draws.
    particle_random_seed(99);
    std::vector<int> draws[2];
    for (auto &d : draws) {
        particle_random_seed(99);
        for (int i = 0; i < 4; i++) d.push_back(particle_mov_get_num(&range));
    }
    EXPECT_EQ(draws[0], draws[1]);
}

TEST_F(Particles, ParsesTheFile)
{
    ASSERT_EQ(load("; comment\n  %3 = gfx\\a b.png\r\n%4 = s0.png, 70, s1.png, 30, gfx\\a b.png, 10\n@2\n!1\n## 0\n"
                   "#A 100#200\n#B -5#5 7\n#C 4\n#D 3\n#E 0\n#F -2\n#G 1 0#359 150 0 1 -60\n#H 20\n"
                   "#I 4 50#80 -1 100 0 1 2 -3 4 0 500\n#J 0\n"),
              1)
        << (errors.empty() ? "" : errors.back());
    ASSERT_EQ(particle_fx_count, 2);
    const PARTICLE_DEF &d = particle_fx_table[0].defs[0];
    EXPECT_EQ(particle_fx_table[0].count, 1);
    EXPECT_EQ(particle_fx_table[1].defs, nullptr);
    EXPECT_EQ((std::vector<int>{d.life.type, d.life.a, d.life.b, d.x.a, d.y.a, d.max_particles, d.total, d.start_creating.a,
                                d.move_type, d.move[4].a, d.look[2].a, d.look[10].a}),
              (std::vector<int>{1, 100, 200, -5, 7, 4, 3, -2, 1, -60, -1, 500}));
    // Blanks dropped from file names; a file shared by two textures is loaded once.
    EXPECT_EQ(loaded_files, (std::vector<std::string>{"gfx\\ab.png", "s0.png", "s1.png"}));
    EXPECT_EQ(particle_textures[3].frames, 1);
    ASSERT_EQ(particle_textures[4].frames, 3);
    EXPECT_EQ(particle_textures[4].frame_bitmaps[2], particle_textures[3].bitmap);
    EXPECT_EQ(particle_textures[4].frame_times[1], 30.0f);
    EXPECT_EQ(particle_fx_bitmap_search("s1.png"), 2);
    EXPECT_EQ(particle_fx_bitmap_search("nope.png"), -1);
    EXPECT_EQ(particle_textures[5].frames, -1);
}

TEST_F(Particles, TextureErrors)
{
    const std::string T = "fx.txt : texture num ";
    const std::pair<const char *, std::string> cases[] = {
        {"%1 = a.png, 70\n", T + "1 has only 1 frame so it doesnt need the time parameter"},
        {"%1 = a.png, b.png\n", T + "1 is missing a time parameter"},
        {"%1 = a.png, 70, b.png\n", T + "1 is missing a time parameter"},
        {"%1 = a.png, 70, b.png, 0\n", T + "1 has a wrong time parameter (has to be more than 0)"},
        {"%1 = \n", T + "1 is missing a filename"},
        {"%1 = a.png, 5, , 5\n", T + "1 is missing a filename"},
        {"% = a.png\n", "fx.txt : missing a texture num"},
        {"%128 = a.png\n", T + "128 is out of range"},
        {"%-1 = a.png\n", T + "-1 is out of range"},
        {"%2 = a.png\n%2 = b.png\n", T + "2 is already defined"},
        {"%2 = missing.png\n", "fx.txt : cant load bitmap missing.png in texture num 2"}};
    for (const auto &[text, message] : cases) expect_error(text, message);
    std::string most = "%1 = f0.png";
    for (int i = 1; i < 255; i++) most += ", 5, f.png";
    expect_error(most + ", 5, f.png, 5\n", T + "1 has too many frames");
    EXPECT_EQ(load(most + ", 5\n"), 1);
    EXPECT_EQ(particle_textures[1].frames, 255);
    // 128 distinct files fill the bitmap slots; one more is refused.
    std::string crowd;
    for (int t = 0; t < 127; t++) crowd += "%" + std::to_string(t) + " = f" + std::to_string(t) + ".png\n";
    EXPECT_EQ(load(crowd), 1);
    expect_error(crowd + "%127 = x.png, 5, y.png, 5\n",
                 "particle_fx_bitmap_add: not more free bitmaps left, increase PARTICLE_MAX_BITMAPS");
}

TEST_F(Particles, EffectAndFieldErrors)
{
    expect_error("@2\n@3\n", "fx.txt : the number of particle fx has been defined already");
    expect_error("!1\n", "fx.txt : the number of particle fx has to be defined before creating emiters");
    expect_error("@1\n!1\n!1\n", "fx.txt: Too many particle fx, try increasing the number");
    expect_error("@1\n!0\n", "fx.txt : the number of emiters cant be less than 1 on particle fx number 0");
    expect_error("@1\n!300\n",
                 "fx.txt : Not enough memory for particle_fx_emiter in particle fx number 0, maybe using a number that is too big?");
    expect_error("@1\n#A 5\n", "fx.txt : No emiter defined yet");
    expect_error("@1\n!1\n#A 5\n", "fx.txt : No emiter defined yet");
    expect_error("@1\n!1\n## 0\n## 1\n", "fx.txt: Too many emiters for particle fx number 0, try increasing the number");
    const std::string head = "@1\n!1\n## 0\n";
    // Field errors name the effect and the emitter.
    const std::pair<const char *, const char *> fields[] = {
        {"#A\n", "life of particle or emiter creates requires a parameter"},
        {"#A -3\n", "wrong particle life parameter"},
        {"#A x\n", "wrong particle life parameter"},
        {"#B 5\n", "position of emiter requires 2 parameters (x and y)separated by spaces"},
        {"#B 5 1#z\n", "wrong parameter 2 for position"},
        {"#F\n", "time_before_start_creating requires a parameter"},
        {"#F -4\n", "wrong time_before_start_creating parameter"},
        {"#G\n", "movement type requires at least 1 parameter"},
        {"#G 6\n", "movement type out of range (6)"},
        {"#G 1 1 2 3\n", "wrong number of parameters (3) for that movement type"},
        {"#G 0 1\n", "wrong number of parameters (1) for that movement type"},
        {"#G 2 1 2 3 4 5\n", "wrong number of parameters (5) for that movement type"},
        {"#G 3 1 2 x 4 5\n", "wrong parameter 3 for movement type"},
        {"#H\n", "time_before_start_moving requires a parameter"},
        {"#H -1\n", "wrong time_before_start_moving parameter"},
        {"#I 1 2 3\n", "the appearance requires 11 parameters but 3 were found"},
        {"#I 1 2 3 4 5 6 7 8 9 10 1.5\n", "wrong parameter 11 for texture"},
        {"#I 200 2 3 4 5 6 7 8 9 10 11\n", "wrong parameter 1 for texture"},
        {"#J\n", "type of particle emiter creates requires a parameters"},
        {"#J -1\n", "wrong particle type parameter"},
        {"#C 99999\n", "wrong parameter for #C"},
        {"#K 1\n", "unknown field #K"}};
    for (auto [field, message] : fields)
        expect_error(head + field, std::string("fx.txt: ") + message + ", on particle fx 0, emiter 0");
    // Types 4 and 5 take any number of values.
    EXPECT_EQ(load(head + "#G 4 1\n#G 5 1 2 3 4 5 6 7\n"), 1);
    expect_error(std::string(5000, 'x') + "\n", "fx.txt : line 1 is too long (at most 4095 characters)");
}

TEST_F(Particles, StartErrors)
{
    pool = particle_fx_pool_create(2);
    EXPECT_EQ(particle_fx_start(nullptr, 0, 0, 0, 1), 0);
    EXPECT_EQ(errors.back(), "particle_fx_start: particle system not inited");
    EXPECT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 0);
    EXPECT_EQ(errors.back(), "particle_fx_start: particle_fx_init() has not been used yet");
    ASSERT_EQ(load("@3\n!2\n## 0\n#C 1\n#J 1\n## 1\n!1\n## 1\n"), 1);
    EXPECT_EQ(particle_fx_start(pool, 3, 0, 0, 1), 0);
    EXPECT_EQ(errors.back(), "particle_fx_start: fx number 3 is out of range");
    EXPECT_EQ(particle_fx_start(pool, 2, 0, 0, 1), 0);
    EXPECT_EQ(errors.back(), "particle_fx_start: fx number 2 is not defined or has no emiters");
    for (int ok : {1, 1, 0}) EXPECT_EQ(particle_fx_start(pool, 0, 0, 0, 1), ok);
    EXPECT_EQ(errors.back(), "em_fx_init: cant create more emiters, increase that number when initing the particle system");
    particle_fx_pool_stop_tag(pool, 1);
    ASSERT_EQ(load("@1\n!2\n## 0\n#J 0\n## 1\n"), 1);
    EXPECT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 0);
    EXPECT_EQ(errors.back(), "em_fx_init: max_particles=0 (maybe you defined more emiters than you actually used?)");
    // A created particle naming a definition the effect lacks.
    ASSERT_EQ(load("@1\n!1\n## 0\n#C 2\n#J 4\n"), 1);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    particle_fx_pool_update(pool, 10);
    EXPECT_EQ(errors.back(), "error when creating particle, type 4 out of range");
}

TEST_F(Particles, TotalWithLifeUntilDoneEndsAfterTheLastParticleDies)
{
    ASSERT_EQ(load(simple("#A -2\n#D 3\n#C 5\n#E 10", "")), 1);
    pool = particle_fx_pool_create(4);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 7), 1);
    const PARTICLE_EMITTER &e = pool->emitters[0];
    for (int step = 0; step < 3; step++) particle_fx_pool_update(pool, 10);
    EXPECT_EQ(e.created, 3);
    EXPECT_EQ(e.live_particles, 3);
    // No fourth particle; the emitter lives while its particles do (life 100 ms).
    for (int step = 0; step < 8; step++) particle_fx_pool_update(pool, 10);
    EXPECT_EQ(e.created, 3);
    EXPECT_EQ(particle_fx_pool_live(pool), 1);
    for (int step = 0; step < 5 && particle_fx_pool_live(pool); step++) particle_fx_pool_update(pool, 10);
    EXPECT_EQ(particle_fx_pool_live(pool), 0);
}

TEST_F(Particles, IntervalZeroFillsEverySlotAtOnce)
{
    ASSERT_EQ(load(simple("#C 6\n#E 0", "")), 1);
    pool = particle_fx_pool_create(2);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    particle_fx_pool_update(pool, 1);
    EXPECT_EQ(pool->emitters[0].live_particles, 6);
    EXPECT_EQ(quads.size(), 6u);
    // With an interval the emitter makes one per interval.
    particle_fx_pool_stop_tag(pool, 1);
    ASSERT_EQ(load(simple("#C 6\n#E 20", "")), 1);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    for (int i = 0; i < 3; i++) particle_fx_pool_update(pool, 10);
    EXPECT_EQ(pool->emitters[0].live_particles, 2);
}

TEST_F(Particles, CreationWaitsAndEmittersEndByLifeOrTag)
{
    // Creating starts at age 30; the emitter itself lives 50 ms.
    ASSERT_EQ(load(simple("#F 30\n#A 50", "")), 1);
    pool = particle_fx_pool_create(3);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    for (int i = 0; i < 3; i++) particle_fx_pool_update(pool, 10);
    EXPECT_EQ(pool->emitters[0].created, 0);
    particle_fx_pool_update(pool, 10);
    EXPECT_EQ(pool->emitters[0].created, 1);
    for (int i = 0; i < 2; i++) particle_fx_pool_update(pool, 10);
    EXPECT_EQ(particle_fx_pool_live(pool), 0);
    // Stop by tag takes only that tag.
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 2), 1);
    particle_fx_pool_stop_tag(pool, 1);
    EXPECT_EQ(particle_fx_pool_live(pool), 1);
    EXPECT_EQ(pool->emitters[1].tag, 2);
    // Reading the file again drops emitters of the old definitions.
    ASSERT_EQ(load(simple("", "")), 1);
    particle_fx_pool_update(pool, 10);
    EXPECT_EQ(particle_fx_pool_live(pool), 0);
}

TEST_F(Particles, SubEmittersAndTheirBound)
{
    // The emitter creates sub-emitters (definition 1) which create particles (definition 2).
    ASSERT_EQ(load("%1 = a.png\n@1\n!3\n## 0\n#A -1\n#C 4\n#D 2\n#E 0\n#J 1\n## 2\n#A -2\n#B 100 0\n#C 3\n#D 3\n#E 0\n#J 2\n"
                   "## 1\n#A 50\n#I 1 10 -1 100 0 0 0 0 0 0 0\n"),
              1);
    pool = particle_fx_pool_create(8);
    ASSERT_EQ(particle_fx_start(pool, 0, 1000, 0, 5), 1);
    particle_fx_pool_update(pool, 10);
    EXPECT_EQ(particle_fx_pool_live(pool), 3);
    EXPECT_EQ(pool->emitters[0].live_particles, 0);   // sub-emitters leave their slots empty
    EXPECT_EQ(pool->emitters[1].tag, 5);
    EXPECT_FLOAT_EQ(pool->emitters[1].x, 1100.0f);
    // Without a total, interval 0 would make sub-emitters for ever: a frame makes at most one
    // per slot, and a full pool holds the next ones back quietly until a slot is free again.
    ASSERT_EQ(load("@1\n!2\n## 0\n#A -1\n#C 4\n#E 0\n#J 1\n## 2\n#A 10\n#C 1\n#J 1\n"), 1);
    particle_fx_pool_free(pool);
    pool = particle_fx_pool_create(6);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 5), 1);
    particle_fx_pool_update(pool, 5);
    EXPECT_EQ(particle_fx_pool_live(pool), 6);
    int created = pool->emitters[0].created;
    for (int frame = 0; frame < 4; frame++) particle_fx_pool_update(pool, 5);
    EXPECT_EQ(particle_fx_pool_live(pool), 6);
    EXPECT_GT(pool->emitters[0].created, created);   // ended sub-emitters made room for new ones
    EXPECT_TRUE(errors.empty());
}

TEST_F(Particles, MovementsLooksAndFrames)
{
    // Straight line: angle 0, speed 1000 (one unit per ms), no acceleration; y acceleration 200.
    ASSERT_EQ(load("%2 = f0.png, 20, f1.png, 10\n" + simple("#C 1", "#G 1 0 1000 0 0 200\n#I 2 10 -1 100 90 1000 0 -100 0 0 0")), 1);
    pool = particle_fx_pool_create(1);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    for (int i = 0; i < 4; i++) particle_fx_pool_update(pool, 10);
    ASSERT_EQ(quads.size(), 4u);
    // Drawn before each move: x 0, 10, 20, 30; y picks up speed 0.002 per ms each ms.
    EXPECT_FLOAT_EQ(quads[3].x, 30.0f);
    EXPECT_NEAR(quads[2].y, 0.002f * 10 * 10, 1e-4);
    // Size and alpha change per ms; height -1 took the width.
    EXPECT_EQ((std::vector<float>{quads[0].w, quads[0].h, quads[1].w, quads[1].alpha, quads[1].angle}),
              (std::vector<float>{10, 10, 20, 0.99f, 90}));
    // Frames of 20 and 10 ms: f0, f0, f1, f0.
    uint32_t f0 = particle_bitmaps[particle_textures[2].frame_bitmaps[0]].texture;
    uint32_t f1 = particle_bitmaps[particle_textures[2].frame_bitmaps[1]].texture;
    std::vector<uint32_t> textures;
    for (const Quad &q : quads) textures.push_back(q.texture);
    EXPECT_EQ(textures, (std::vector<uint32_t>{f0, f0, f1, f0}));
    // Visible only from 20 to 30 ms of age.
    quads.clear();
    ASSERT_EQ(load(simple("#C 1", "#I 1 10 -1 100 0 0 0 0 0 20 30")), 1);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    for (int i = 0; i < 5; i++) particle_fx_pool_update(pool, 10);
    EXPECT_EQ(quads.size(), 2u);
}

TEST_F(Particles, OwnMovementTypes)
{
    // A circle of radius 100 at 90 thousandths of a degree per ms.
    ASSERT_EQ(load(simple("#C 1", "#A 5000\n#G 2 100 90 0")), 1);
    pool = particle_fx_pool_create(1);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    for (int i = 0; i < 11; i++) particle_fx_pool_update(pool, 100);
    // Every drawn point after the first lies on the circle.
    for (size_t i = 1; i < quads.size(); i++) EXPECT_NEAR(std::hypot(quads[i].x, quads[i].y), 100.0, 0.5) << i;
    // Drag: the puff slows and stops.
    quads.clear();
    ASSERT_EQ(load(simple("#C 1", "#G 4 0 1000 500")), 1);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    for (int i = 0; i < 6; i++) particle_fx_pool_update(pool, 1);
    ASSERT_EQ(quads.size(), 6u);
    // Speed 1 per ms, halved every ms: 0, 1, 1.5, 1.75, ...
    EXPECT_FLOAT_EQ(quads[1].x, 1.0f);
    EXPECT_FLOAT_EQ(quads[2].x, 1.5f);
    EXPECT_NEAR(quads[5].x, 1.9375f, 1e-5);
    // Sway keeps to its line on average and leaves it sideways.
    quads.clear();
    ASSERT_EQ(load(simple("#C 1", "#G 3 0 100 50 40 0")), 1);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 0, 1), 1);
    for (int i = 0; i < 9; i++) particle_fx_pool_update(pool, 10);
    EXPECT_NEAR(quads[8].x, 8.0f, 1e-3);
    EXPECT_NEAR(quads[1].y, 50.0f, 1e-3);
    EXPECT_NEAR(quads[4].y, 0.0f, 1e-3);
}

TEST_F(Particles, GoldenEffect)
{
    if (!gen_wrap_headless_start(96, 96, 0)) GTEST_SKIP() << "no OpenGL context";
    gen_wrap_resize(0, 0, 96, 96);
    set_world_viewport(95, 95);
    gen_wrap_screen_clear();
    particle_fx_draw_set(nullptr);
    // Textures are made here: the loader hands out real ones.
    particle_fx_loader_set([](uint32_t *texture, const char *) {
        *texture = render_test::test_texture(0xFF8020, 8);
        return 1;
    });
    ASSERT_EQ(load("%1 = spark.png\n@1\n!2\n## 0\n#A -2\n#C 12\n#D 12\n#E 0\n#J 1\n"
                   "## 1\n#A 400#600\n#G 1 0#359 2000#3000 0 0 -400\n#I 1 150#250 -1 100 0#90 -50 -50 -80 100 0 0\n"),
              1);
    particle_random_seed(2024);
    pool = particle_fx_pool_create(4);
    ASSERT_EQ(particle_fx_start(pool, 0, 0, 200, 1), 1);
    // Particles are placed in OpenGL units: drawn under identity matrices.
    for (int i = 0; i < 30; i++) {
        gen_wrap_screen_clear();
        world_sink_gl()->begin();
        particle_fx_pool_update(pool, 10);
        world_sink_gl()->end();
    }
    render_test::expect_golden(std::string(VM_SOURCE_DIR) + "/tests/world_render/golden", "particles", 96, 96, 8, 30);
    particle_fx_pool_free(pool);
    pool = nullptr;
    particle_fx_deinit();
    gen_wrap_headless_stop();
}

TEST_F(Particles, GameEffectsFileParsesAndRuns)
{
    std::string path = std::string(VM_SOURCE_DIR) + "/assets/data/part_fx.txt";
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) GTEST_SKIP() << "no game content";
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;) text += char(c);
    std::fclose(f);
    ASSERT_EQ(load(text), 1) << (errors.empty() ? "" : errors.back());
    pool = particle_fx_pool_create(50);
    for (int fx = 0; fx < particle_fx_count; fx++) {
        ASSERT_EQ(particle_fx_start(pool, fx, 0, 0, fx), 1) << fx;
        for (int i = 0; i < 300 && particle_fx_pool_live(pool); i++) particle_fx_pool_update(pool, 10);
        particle_fx_pool_stop_tag(pool, fx);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}
