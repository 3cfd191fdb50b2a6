// veltramondo-tool entry point: finds the command by its first word and runs it.
#include "tools/veltramondo-tool/vtool.h"

#include <cstdio>
#include <cstring>

static std::vector<vtool_command> &vtool_commands()
{
    static std::vector<vtool_command> commands;
    return commands;
}

int vtool_register(const char *name, const char *usage, vtool_fn run)
{
    vtool_commands().push_back({name, usage, run});
    return 1;
}

static void vtool_usage(FILE *out)
{
    std::fprintf(out, "usage: veltramondo-tool COMMAND [ARGS...]\n\ncommands:\n");
    for (const vtool_command &c : vtool_commands()) std::fprintf(out, "  %s\n", c.usage);
}

int main(int argc, char **argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) {
        vtool_usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const vtool_command &c : vtool_commands()) {
        if (std::strcmp(c.name, argv[1]) != 0) continue;
        std::vector<std::string> args(argv + 2, argv + argc);
        return c.run(args);
    }
    std::fprintf(stderr, "veltramondo-tool: unknown command '%s'\n", argv[1]);
    vtool_usage(stderr);
    return 2;
}
