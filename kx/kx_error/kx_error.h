// kx_error: the engine's error reporting. Modules sign up with a name and a table of error
// texts, raise errors by module number and code, and report them in an alert when their own
// report flag is set.
#pragma once

#include <cstdint>

constexpr int KX_ERROR_MAX_MODULES = 100;
constexpr int KX_ERROR_NAME_MAX = 40;
constexpr int KX_ERROR_DETAIL_SIZE = 512;

// Pending error: the raising module fills it, then calls kx_error_report under its report flag.
struct KX_ERROR_STATE {
    int module;
    int code;
    char detail[KX_ERROR_DETAIL_SIZE];
    char location[KX_ERROR_DETAIL_SIZE];
};
extern KX_ERROR_STATE kx_error_pending;

int kx_error_init(int32_t *settings);
int kx_error_register(const char *name, const char *const *texts);
void kx_error_report();
void kx_error_warning(const char *text);
void kx_error_set_location(const char *file, int line);
const char *kx_error_module_name(int module);

// Convenience for modules: set the pending error (with an optional printf-style detail) and
// report it when `report` is nonzero.
void kx_error_raise(int report, int module, int code, const char *detail_format = nullptr, ...);

// The call-stack facility: always the same fixed text in this program.
const char *kx_error_call_stack(const char *function, const char *file, int line);
