// kx_dsp window menu: loads the menu of the current language, fills the Language and Change
// Resolution popups at run time and keeps the display items' checks, grey states and texts.
#include "kx/kx_dsp/kx_dsp_local.h"

#include <cstdio>
#include <strings.h>

namespace {

constexpr int ENTRY_TEXT = 64;
constexpr int MAX_ENTRIES = 256;

// Entries built at run time; the menu copies their texts.
char entry_text[MAX_ENTRIES][ENTRY_TEXT];

const KX_DSP_MENU_LANG &lang()
{
    return kx_dsp_menu_langs[kx_dsp.menu_lang];
}

// The text of the n-th popup (0 = first) that holds a placeholder.
const char *placeholder_popup(int n)
{
    const KX_DSP_MENU_LANG &l = lang();
    for (int i = 0; i + 1 < l.count; i++)
        if (l.items[i].kind == PLAT_MENU_POPUP && l.items[i + 1].command == KX_DSP_CMD_PLACEHOLDER && n-- == 0)
            return l.items[i].text;
    return nullptr;
}

int resolution_count()
{
    int n = 0;
    const KX_DSP_SETUP *s = kx_dsp.setup;
    while (s && s->resolutions && s->resolutions[n].width > 0 && n < 100) n++;
    return n;
}

// Whether the current mode matches a game resolution.
bool resolution_matches(int i)
{
    const KX_DSP_RESOLUTION &r = kx_dsp.setup->resolutions[i];
    return r.width == kx_dsp.width && r.height == kx_dsp.height;
}

// A resolution is offered where the screen has a mode of that size, so that it works in
// fullscreen too.
bool resolution_offered(int i)
{
    const KX_DSP_RESOLUTION &r = kx_dsp.setup->resolutions[i];
    return find_video_mode(r.width, r.height, kx_dsp_depth_now()) >= 0;
}

void fill_languages()
{
    const KX_DSP_SETUP *s = kx_dsp.setup;
    PLAT_MENU_ITEM items[100];
    int n = 0;
    for (int i = 0; s && s->languages && i < s->language_count && i < 100 && n < MAX_ENTRIES; i++) {
        if (!s->languages[i].name) continue;
        std::snprintf(entry_text[n], ENTRY_TEXT, "%s", s->languages[i].name);
        items[n] = {static_cast<uint32_t>(KX_DSP_CMD_LANGUAGE + i), entry_text[n], 0, PLAT_MENU_COMMAND};
        n++;
    }
    if (n) plat_menu_popup_fill(placeholder_popup(0), items, n);
}

void fill_resolutions()
{
    static PLAT_MENU_ITEM items[MAX_ENTRIES];
    int base = 100;   // the language entries use the first part of entry_text
    int n = 0;
    int count = resolution_count();
    bool any_match = false;
    for (int i = 0; i < count && base + n < MAX_ENTRIES; i++) {
        const KX_DSP_RESOLUTION &r = kx_dsp.setup->resolutions[i];
        std::snprintf(entry_text[base + n], ENTRY_TEXT, "%dx%d", r.width, r.height);
        items[n] = {static_cast<uint32_t>(KX_DSP_CMD_RESOLUTION + i), entry_text[base + n], 0, PLAT_MENU_COMMAND};
        n++;
        any_match = any_match || (resolution_matches(i) && resolution_offered(i));
    }
    if (!any_match && base + n < MAX_ENTRIES) {
        std::snprintf(entry_text[base + n], ENTRY_TEXT, lang().default_mode, kx_dsp.width, kx_dsp.height);
        items[n++] = {static_cast<uint32_t>(KX_DSP_CMD_DEFAULT_MODE), entry_text[base + n - 1], 0, PLAT_MENU_COMMAND};
    }
    if (kx_dsp.setup && kx_dsp.setup->list_video_modes) {
        if (n) items[n++] = {0, "", 0, PLAT_MENU_SEPARATOR};
        for (int i = 0; i < kx_dsp.mode_count && base + n < MAX_ENTRIES; i++) {
            const KX_DSP_VIDEO_MODE &m = kx_dsp.modes[i];
            const char *kind = (m.flags & KX_DSP_MODE_X) ? " (Mode X)" : (m.flags & KX_DSP_MODE_VGA) ? " (Standard VGA)" : "";
            std::snprintf(entry_text[base + n], ENTRY_TEXT, "%dx%dx%d, %dHz%s", m.width, m.height, m.depth, m.refresh, kind);
            items[n] = {static_cast<uint32_t>(KX_DSP_CMD_VIDEO_MODE + i), entry_text[base + n], 0, PLAT_MENU_COMMAND};
            n++;
        }
    }
    plat_menu_popup_fill(placeholder_popup(1), items, n);
}

bool code_matches(const char *abbreviation, const char *code)
{
    return abbreviation && code && strcasecmp(abbreviation, code) == 0;
}

} // namespace

int kx_dsp_menu_lang_pick(const KX_DSP_SETUP *setup, int language)
{
    constexpr int english = 1;
    if (!setup || !setup->languages || language < 0 || language >= setup->language_count) return english;
    const KX_DSP_LANGUAGE &l = setup->languages[language];
    for (int i = 0; i < KX_DSP_MENU_LANGS; i++)
        if (kx_dsp_menu_langs[i].langid == l.number) return i;
    for (int i = 0; i < KX_DSP_MENU_LANGS; i++)
        if (code_matches(l.abbreviation, kx_dsp_menu_langs[i].codes[0]) ||
            code_matches(l.abbreviation, kx_dsp_menu_langs[i].codes[1]))
            return i;
    return english;
}

void kx_dsp_menu_load()
{
    const KX_DSP_SETUP *s = kx_dsp.setup;
    if (!s || !s->menu_name || !s->menu_name[0]) {
        plat_menu_set(nullptr, 0);
        return;
    }
    kx_dsp.menu_lang = kx_dsp_menu_lang_pick(s, s->language);
    plat_menu_set(lang().items, lang().count);
    fill_languages();
    kx_dsp_menu_update();
    // The window's smallest size follows the bar (another language's titles may be wider).
    if (kx_dsp.created) kx_dsp_window_resizable();
}

void kx_dsp_menu_update()
{
    const KX_DSP_SETUP *s = kx_dsp.setup;
    if (!s || !s->menu_name || !s->menu_name[0]) return;
    fill_resolutions();
    // 50003 names the other state, in the current language.
    const char *word = kx_dsp.fullscreen ? lang().window : lang().fullscreen;
    if (s->languages && s->language >= 0 && s->language < s->language_count) {
        const KX_DSP_LANGUAGE &l = s->languages[s->language];
        const char *own = kx_dsp.fullscreen ? l.window : l.fullscreen;
        if (own && own[0]) word = own;
    }
    static char toggle[ENTRY_TEXT];
    std::snprintf(toggle, sizeof toggle, "%s\tF4", word);
    plat_menu_text_set(KX_DSP_CMD_FULLSCREEN, toggle);
    // 256 colours is offered only where the screen has an 8-bit mode of the current size (or to
    // leave it); today's screens have none, and the entry would only say so.
    plat_menu_check(KX_DSP_CMD_256_COLORS, kx_dsp.colors_256);
    const KX_DSP_VIDEO_MODE *m = kx_dsp_mode_get(kx_dsp.mode_current);
    int index8 = m ? find_video_mode(m->width, m->height, 8) : -1;
    plat_menu_offer(KX_DSP_CMD_256_COLORS, kx_dsp.colors_256 || (index8 >= 0 && kx_dsp.modes[index8].depth == 8));

    // In a window a resolution is grey below 640 x 480.
    int count = resolution_count();
    plat_menu_offer(KX_DSP_CMD_LOW_RES, 0);
    plat_menu_offer(KX_DSP_CMD_HIGH_RES, 0);
    for (int i = 0; i < count; i++) {
        const KX_DSP_RESOLUTION &r = s->resolutions[i];
        uint32_t cmd = static_cast<uint32_t>(KX_DSP_CMD_RESOLUTION + i);
        bool offered = resolution_offered(i);
        plat_menu_offer(cmd, offered);
        plat_menu_enable(cmd, kx_dsp.fullscreen || (r.width >= 640 && r.height >= 480));
        plat_menu_check(cmd, resolution_matches(i));
        if (r.flags & KX_DSP_RES_LOW) plat_menu_offer(KX_DSP_CMD_LOW_RES, offered);
        if (r.flags & KX_DSP_RES_HIGH) plat_menu_offer(KX_DSP_CMD_HIGH_RES, offered);
    }
    plat_menu_check(KX_DSP_CMD_DEFAULT_MODE, 1);
    for (int i = 0; i < kx_dsp.mode_count; i++) {
        uint32_t cmd = static_cast<uint32_t>(KX_DSP_CMD_VIDEO_MODE + i);
        plat_menu_enable(cmd, !(kx_dsp.modes[i].flags & KX_DSP_MODE_UNUSABLE));
        plat_menu_check(cmd, i == kx_dsp.mode_current);
    }
    for (int i = 0; s->languages && i < s->language_count; i++)
        plat_menu_check(static_cast<uint32_t>(KX_DSP_CMD_LANGUAGE + i), i == s->language);
}
