// Shared helpers of the kx_io tests: a private working folder per test, file helpers and a
// pack builder written straight from the pack layout (independent of the module's writer).
#pragma once

#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace kxio_test {

namespace fs = std::filesystem;

inline void write_file(const fs::path &p, const std::string &bytes)
{
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string read_file(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What `fn` writes to stderr.
inline std::string stderr_of(const std::function<void()> &fn)
{
    testing::internal::CaptureStderr();
    fn();
    return testing::internal::GetCapturedStderr();
}

// The whole file through kx_io_fopen, "<null>" when it does not open.
inline std::string kx_read_all(const char *name)
{
    KX_IO *f = kx_io_fopen(name, "rb");
    if (!f) return "<null>";
    std::string s;
    for (int c; (c = kx_io_fgetc(f)) != -1;) s += char(c);
    kx_io_fclose(f);
    return s;
}

inline void put32(std::string &s, uint32_t v)
{
    for (int i = 0; i < 4; i++) s += char(v >> (8 * i));
}

struct raw_entry {
    std::string name, alt, data;
    uint8_t key;
};

// The entries' data scrambled with their keys, appended to `data`, and their plain table.
inline std::string pack_table(const std::vector<raw_entry> &entries, std::string &data, uint32_t reserved = 0)
{
    std::string table;
    for (const raw_entry &e : entries) {
        uint32_t offset = uint32_t(data.size());
        for (char c : e.data) data += char(c ^ e.key);
        table += e.name + '\0' + e.alt + '\0';
        put32(table, offset);
        put32(table, uint32_t(e.data.size()));
        put32(table, reserved);
        table += char(e.key);
    }
    return table;
}

// A pack with the table inside, laid out by hand: data, table, 13-byte trailer.
inline std::string build_inside_pack(const std::vector<raw_entry> &entries, uint8_t table_key)
{
    std::string out, table = pack_table(entries, out);
    uint32_t table_offset = uint32_t(out.size());
    for (char c : table) out += char(c ^ table_key);
    put32(out, 0xBABEFACE);
    put32(out, table_offset);
    put32(out, uint32_t(entries.size()));
    return out + char(table_key);
}

// A working folder of its own for each test, made the current directory; kx_io is started
// with `start` and stopped at the end.
class IoTest : public ::testing::Test {
protected:
    fs::path dir, old_cwd;
    KX_IO_SETTINGS settings{0, 0, nullptr, nullptr};
    int32_t error_settings = 0;
    bool started = false;

    void SetUp() override
    {
        old_cwd = fs::current_path();
        std::string tmpl = (fs::temp_directory_path() / "kxio_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        fs::current_path(dir);
        unsetenv("U3_APP_DATA_PATH");
        setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
        kx_error_init(&error_settings);
        kx_io_error_clear();
    }

    void TearDown() override
    {
        stop();
        fs::current_path(old_cwd);
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }

    int start(const char *pack = nullptr, int report = 0)
    {
        settings.report = report;
        settings.pack_name = pack;
        started = true;
        return kx_io_init(&settings);
    }

    void stop()
    {
        if (started) kx_io_deinit();
        started = false;
    }

    fs::path user_dir() const { return dir / "xdg" / "Pellovar" / "Veltramondo"; }
    fs::path settings_dir() const { return dir / "cfg" / "veltramondo"; }
};

} // namespace kxio_test
