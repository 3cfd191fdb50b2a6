// kx_error: module table, pending error, reports and warnings through the display's alert, and
// the fatal-signal handler.
#include "kx/kx_error/kx_error.h"

#include "kx/kx_dsp/kx_dsp.h"

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------------------------

KX_ERROR_STATE kx_error_pending;

namespace {

struct KX_ERROR_MODULE {
    char name[KX_ERROR_NAME_MAX + 1];
    const char *const *texts;
};

KX_ERROR_MODULE kx_error_modules[KX_ERROR_MAX_MODULES];
int kx_error_module_count;
int32_t *kx_error_settings;

const char *const kx_error_texts[] = {
    "Warning!  Too many modules in kx_error",
    "Warning!  Module name over 40 characters.  Tisk Tisk.",
};

int kx_error_report_flag()
{
    return kx_error_settings && *kx_error_settings;
}

// Only shows boxes; the default action follows on the next delivery of the same signal.
void kx_error_signal(int sig)
{
    const char *title = sig == SIGILL ? "Illegal operation" : sig == SIGFPE ? "Division by zero" : "Memory Access Violation";
    std::signal(sig, SIG_DFL);
    kx_dsp_alert(kx_error_call_stack("Signal Handler", __FILE__, __LINE__), title, 0);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

const char *kx_error_call_stack(const char *, const char *, int)
{
    return "CallStack Disabled in this version";
}

int kx_error_init(int32_t *settings)
{
    kx_error_settings = settings;
    std::signal(SIGILL, kx_error_signal);
    std::signal(SIGFPE, kx_error_signal);
    std::signal(SIGSEGV, kx_error_signal);
    if (kx_error_report_flag()) kx_dsp_warning_file_remove();
    std::memset(kx_error_modules, 0, sizeof kx_error_modules);
    kx_error_module_count = 0;
    kx_error_pending.detail[0] = 0;
    kx_error_pending.location[0] = 0;
    kx_error_register("Error", kx_error_texts);
    return 1;
}

int kx_error_register(const char *name, const char *const *texts)
{
    if (kx_error_module_count >= KX_ERROR_MAX_MODULES) {
        kx_error_raise(kx_error_report_flag(), 0, 0);
        return -1;
    }
    if (std::strlen(name) > KX_ERROR_NAME_MAX) kx_error_raise(kx_error_report_flag(), 0, 1);
    KX_ERROR_MODULE *m = &kx_error_modules[kx_error_module_count];
    std::snprintf(m->name, sizeof m->name, "%.*s", KX_ERROR_NAME_MAX, name);
    m->texts = texts;
    return kx_error_module_count++;
}

const char *kx_error_module_name(int module)
{
    if (module < 0 || module >= kx_error_module_count) return nullptr;
    return kx_error_modules[module].name;
}

void kx_error_report()
{
    const char *name = "";
    const char *text = "";
    int module = kx_error_pending.module;
    if (module >= 0 && module < kx_error_module_count) {
        name = kx_error_modules[module].name;
        if (kx_error_modules[module].texts && kx_error_pending.code >= 0) text = kx_error_modules[module].texts[kx_error_pending.code];
    }
    char message[KX_ERROR_DETAIL_SIZE];
    int n;
    if (kx_error_pending.location[0])
        n = std::snprintf(message, sizeof message, "In module %s \n\n %s\n\n%s\n\n%s", name, text, kx_error_pending.detail, kx_error_pending.location);
    else
        n = std::snprintf(message, sizeof message, "In module %s \n\n %s\n\n%s", name, text, kx_error_pending.detail);
    if (n < 0) message[0] = 0;
    kx_dsp_alert(message, "Alert", KX_DSP_ALERT_WARNING);
    kx_error_pending.detail[0] = 0;
    kx_dsp_alert(kx_error_call_stack("kx_error_detail", __FILE__, __LINE__), "", 0);
}

void kx_error_warning(const char *text)
{
    kx_dsp_alert(text, "Alert", KX_DSP_ALERT_WARNING);
    kx_dsp_alert(kx_error_call_stack("kx_error", __FILE__, __LINE__), "", 0);
}

void kx_error_set_location(const char *file, int line)
{
    std::snprintf(kx_error_pending.location, sizeof kx_error_pending.location, "(File: %s, Line: %d)", file ? file : "", line);
}

void kx_error_raise(int report, int module, int code, const char *detail_format, ...)
{
    if (detail_format) {
        va_list ap;
        va_start(ap, detail_format);
        std::vsnprintf(kx_error_pending.detail, sizeof kx_error_pending.detail, detail_format, ap);
        va_end(ap);
    }
    kx_error_pending.module = module;
    kx_error_pending.code = code;
    if (report) kx_error_report();
}
