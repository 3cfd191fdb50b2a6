// The language list read from the language file, and the game's current language.
#include "app/app_language.h"

#include "app/app_texts.h"
#include "kx/kx_dsp/kx_dsp.h"
#include "kx/kx_io/kx_io.h"
#include "kx/kx_mem/kx_mem.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char *LANG_SECTION = "Languages";

struct APP_LANGUAGES {
    KX_LANG_LIST *list;
    KX_DSP_LANGUAGE menu[KX_LANG_MAX];
    int menu_index[KX_LANG_MAX];       // list index of each submenu entry
    int menu_count;
    int menu_current;
};

APP_LANGUAGES app_languages;

int int_get(const char *section, const char *key, int fallback, const char *file)
{
    int value = 0;
    kx_io_ini_get_int(section, key, &value, file);
    return kx_io_ini_failed(1) ? fallback : value;
}

void quiet(int on)
{
    kx_io_ini_set_mode(nullptr, on ? KX_IO_INI_QUIET_KEY_ON : KX_IO_INI_QUIET_KEY_OFF);
    kx_io_ini_set_mode(nullptr, on ? KX_IO_INI_QUIET_SECTION_ON : KX_IO_INI_QUIET_SECTION_OFF);
}

KX_LANG *language_read(const char *section, const char *file)
{
    KX_LANG *l = static_cast<KX_LANG *>(kx_mem_calloc(1, sizeof(KX_LANG)));
    if (!l) return nullptr;
    kx_mem_name(l, "language");
    std::snprintf(l->name, sizeof l->name, "%s", section);
    char name[KX_LANG_TEXT + 1];
    if (kx_io_ini_get_string(section, "Name", name, KX_LANG_TEXT, file)) std::snprintf(l->name, sizeof l->name, "%s", name);
    kx_io_ini_get_string(section, "Abbreviation", l->abbreviation, KX_LANG_TEXT, file);
    kx_io_ini_get_string(section, "Fullscreen", l->fullscreen, KX_LANG_TEXT, file);
    kx_io_ini_get_string(section, "Window", l->window, KX_LANG_TEXT, file);
    l->number = int_get(section, "Number", 0, file);
    l->characters = int_get(section, "Characters", 1, file);
    return l;
}

int index_of_number(const KX_LANG_LIST *list, int number)
{
    for (int i = 0; list && i < list->count; i++)
        if (list->languages[i] && list->languages[i]->number == number) return i;
    return -1;
}

void menu_build()
{
    APP_LANGUAGES &a = app_languages;
    a.menu_count = 0;
    a.menu_current = 0;
    for (int i = 0; a.list && i < a.list->count; i++) {
        const KX_LANG *l = a.list->languages[i];
        if (!l) continue;
        if (i == a.list->current) a.menu_current = a.menu_count;
        a.menu_index[a.menu_count] = i;
        a.menu[a.menu_count++] = {l->name, l->abbreviation, l->fullscreen, l->window, l->number};
    }
}

} // namespace

KX_LANG_LIST *kx_lang_load(const char *file_name)
{
    if (!file_name || !file_name[0]) return nullptr;
    if (!kx_io_ini_set_mode(file_name, KX_IO_INI_KEEP_OPEN)) return nullptr;
    quiet(1);
    int count = int_get(LANG_SECTION, "NumLanguages", -1, file_name);
    if (count < 0) count = int_get(LANG_SECTION, "NbLanguages", -1, file_name);
    KX_LANG_LIST *list = nullptr;
    // A count outside 1..99 cannot name its entries ("Language_%02d"), so it counts as none.
    if (count >= 1 && count <= KX_LANG_MAX) {
        list = static_cast<KX_LANG_LIST *>(kx_mem_calloc(1, sizeof(KX_LANG_LIST)));
        KX_LANG **entries = static_cast<KX_LANG **>(kx_mem_calloc(static_cast<size_t>(count), sizeof(KX_LANG *)));
        if (!list || !entries) {
            if (list) kx_mem_free(list);
            if (entries) kx_mem_free(entries);
            list = nullptr;
        }
        if (list) {
            kx_mem_name(list, "language list");
            kx_mem_name(entries, "language entries");
            list->count = count;
            list->languages = entries;
        }
    }
    if (!list) {
        quiet(0);
        kx_io_ini_set_mode(file_name, KX_IO_INI_KEEP_CLOSE);
        return nullptr;
    }
    int fallback = int_get(LANG_SECTION, "Default", 0, file_name) - 1;
    list->multi = int_get(LANG_SECTION, "MultiLanguages", 0, file_name);
    char sections[KX_LANG_MAX][KX_LANG_TEXT + 1] = {};
    for (int i = 0; i < count; i++) {
        char key[32];
        std::snprintf(key, sizeof key, "Included_%02d", i + 1);
        if (!int_get(LANG_SECTION, key, 0, file_name)) continue;
        std::snprintf(key, sizeof key, "Language_%02d", i + 1);
        if (!kx_io_ini_get_string(LANG_SECTION, key, sections[i], KX_LANG_TEXT, file_name)) {
            char text[160];
            std::snprintf(text, sizeof text, "Sorry, I can't find language %s in %s", key, file_name);
            kx_dsp_alert(text, "Alert", KX_DSP_ALERT_WARNING);
        }
    }
    // The languages' own sections repeat the same keys, so they are read with the file
    // closed between lookups: a kept-open lookup that misses must never land in the next one.
    kx_io_ini_set_mode(file_name, KX_IO_INI_KEEP_CLOSE);
    for (int i = 0; i < count; i++)
        if (sections[i][0]) list->languages[i] = language_read(sections[i], file_name);
    list->current = -1;
    if (fallback >= 0 && fallback < count && list->languages[fallback]) list->current = fallback;
    for (int i = 0; list->current < 0 && i < count; i++)
        if (list->languages[i]) list->current = i;
    if (list->current < 0) list->current = 0;
    if (list->multi) {
        const char *settings = kx_io_settings_path_get();
        if (settings && settings[0] && kx_io_exists(settings, KX_IO_WHERE_DISK)) {
            int number = 0;
            kx_io_ini_get_int("Application", "Language", &number, settings);
            if (!kx_io_ini_failed(1)) kx_lang_select(list, number);
        }
    }
    quiet(0);
    return list;
}

void kx_lang_free(KX_LANG_LIST *list)
{
    if (!list) return;
    for (int i = 0; i < list->count; i++) kx_mem_free(list->languages[i]);
    kx_mem_free(list->languages);
    kx_mem_free(list);
}

int kx_lang_select(KX_LANG_LIST *list, int number)
{
    int i = index_of_number(list, number);
    if (i < 0) return 0;
    list->current = i;
    return 1;
}

int Languages_Load(const char *file_name)
{
    Languages_Free();
    app_languages.list = kx_lang_load(file_name);
    menu_build();
    if (app_languages.menu_count > 0) return 1;
    char text[160];
    std::snprintf(text, sizeof text, "The language file %s names no language", file_name ? file_name : "");
    kx_dsp_alert(text, "Error", KX_DSP_ALERT_ERROR);
    return 0;
}

void Languages_Free()
{
    kx_lang_free(app_languages.list);
    app_languages.list = nullptr;
    menu_build();
}

int Language_Select(int number)
{
    int ok = kx_lang_select(app_languages.list, number);
    menu_build();
    return ok;
}

static const KX_LANG *current()
{
    const KX_LANG_LIST *l = app_languages.list;
    if (!l || l->current < 0 || l->current >= l->count) return nullptr;
    return l->languages[l->current];
}

const char *Language_Abbreviation()
{
    const KX_LANG *l = current();
    return l ? l->abbreviation : "";
}

int Language_Number()
{
    const KX_LANG *l = current();
    return l ? l->number : 0;
}

void Language_Menu_List(const KX_DSP_LANGUAGE **languages, int *count, int *current_index)
{
    *languages = app_languages.menu_count ? app_languages.menu : nullptr;
    *count = app_languages.menu_count;
    *current_index = app_languages.menu_current;
}

int Language_Menu_Current()
{
    return app_languages.menu_current;
}

int Language_Menu_Number(int index)
{
    if (index < 0 || index >= app_languages.menu_count) return -1;
    return app_languages.list->languages[app_languages.menu_index[index]]->number;
}

int Language_Switch(int number)
{
    if (!Language_Select(number)) return 1;
    if (!load_texts()) return 0;
    const char *settings = kx_io_settings_path_get();
    if (settings && settings[0]) kx_io_ini_set_int("Application", "Language", number, settings);
    return 1;
}
