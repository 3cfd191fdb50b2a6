// plat_panel on Dear ImGui: fixed panels without navigation, so that the keys stay with the
// owner that reads them (arrows, Space, Enter never move an ImGui focus).
#include "platform/plat_panel.h"

#include "platform/plat_core.h"
#include "platform/plat_menu.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#if VM_HAVE_IMGUI
#include <imgui.h>
#endif

namespace {

PLAT_PANEL_FN plat_panel_fn;

} // namespace

void plat_panel_set(PLAT_PANEL_FN fn)
{
    plat_panel_fn = fn;
}

int plat_panel_shown()
{
    return plat_panel_fn != nullptr;
}

void plat_panel_draw()
{
    if (plat_panel_fn) plat_panel_fn();
}

void plat_panel_area(int *width, int *height, int *top)
{
    int w = 0, h = 0;
    if (SDL_Window *win = static_cast<SDL_Window *>(plat_window_handle())) SDL_GetWindowSize(win, &w, &h);
    *width = w;
    *height = h;
    *top = plat_menu_bar_height();
}

#if VM_HAVE_IMGUI

namespace {

ImU32 color(uint32_t rgba)
{
    return IM_COL32(rgba >> 24, (rgba >> 16) & 0xFF, (rgba >> 8) & 0xFF, rgba & 0xFF);
}

} // namespace

int plat_panel_begin(const char *title, float x, float y, float pivot_x, float pivot_y, float width, float height)
{
    ImGui::SetNextWindowPos(ImVec2(x, y), ImGuiCond_Always, ImVec2(pivot_x, pivot_y));
    ImGui::SetNextWindowSize(ImVec2(width, height), ImGuiCond_Always);
    ImGui::SetNextWindowBgAlpha(0.75f);
    const bool bare = title && !std::strncmp(title, "###", 3);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                                   ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoSavedSettings |
                                   ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoBringToFrontOnFocus |
                                   ImGuiWindowFlags_NoScrollbar | (bare ? ImGuiWindowFlags_NoTitleBar : 0) |
                                   (width <= 0.0f ? ImGuiWindowFlags_AlwaysAutoResize : 0);
    return ImGui::Begin(title, nullptr, flags);
}

void plat_panel_end()
{
    ImGui::End();
}

void plat_panel_text(const char *text)
{
    // Long lines (a path in a message) wrap at the panel's edge instead of being cut there.
    ImGui::PushTextWrapPos(0.0f);
    ImGui::TextUnformatted(text ? text : "");
    ImGui::PopTextWrapPos();
}

void plat_panel_same_line()
{
    ImGui::SameLine(0.0f, 2.0f);
}

int plat_panel_tile(int id, uint32_t texture, const float part[4], uint32_t rgba, const char *caption, float size,
                    int selected)
{
    ImGui::PushID(id);
    const ImVec2 a = ImGui::GetCursorScreenPos(), b(a.x + size, a.y + size);
    ImGui::InvisibleButton("tile", ImVec2(size, size), ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonRight);
    int clicked = 0;
    if (ImGui::IsItemClicked(ImGuiMouseButton_Left)) clicked = 1;
    else if (ImGui::IsItemClicked(ImGuiMouseButton_Right)) clicked = 2;
    ImDrawList *d = ImGui::GetWindowDrawList();
    if (texture)
        d->AddImage(reinterpret_cast<ImTextureID>(static_cast<uintptr_t>(texture)), a, b, ImVec2(part[0], part[1]),
                    ImVec2(part[2], part[3]));
    else d->AddRectFilled(a, b, color(rgba));
    if (caption && *caption) {
        const ImVec2 t = ImGui::CalcTextSize(caption);
        const ImVec2 at(a.x + (size - t.x) / 2, a.y + (size - t.y) / 2);
        d->AddText(ImVec2(at.x + 1, at.y + 1), IM_COL32(0, 0, 0, 255), caption);
        d->AddText(at, IM_COL32(255, 255, 255, 255), caption);
    }
    if (selected) d->AddRect(a, b, IM_COL32(255, 230, 0, 255), 0.0f, 0, 2.0f);
    else if (ImGui::IsItemHovered()) d->AddRect(a, b, IM_COL32(255, 255, 255, 160));
    ImGui::PopID();
    return clicked;
}

int plat_panel_number(const char *label, int *value, int low, int high, int step)
{
    ImGui::PushID(label);
    // A value outside the range is shown as it is; only the player's own change is clamped and
    // reported, so showing a level never changes it.
    int v = *value;
    bool touched = false;
    if (ImGui::SmallButton("-")) v -= step, touched = true;
    ImGui::SameLine(0.0f, 2.0f);
    if (ImGui::SmallButton("+")) v += step, touched = true;
    ImGui::SameLine();
    ImGui::SetNextItemWidth(64.0f);
    touched |= ImGui::SliderInt("##v", &v, low, high, "%d", ImGuiSliderFlags_AlwaysClamp | ImGuiSliderFlags_NoInput);
    ImGui::SameLine();
    ImGui::TextUnformatted(label);
    ImGui::PopID();
    if (!touched) return 0;
    v = std::clamp(v, low, high);
    if (v == *value) return 0;
    *value = v;
    return 1;
}

int plat_panel_button(const char *label)
{
    return ImGui::SmallButton(label);
}

#else

int plat_panel_begin(const char *, float, float, float, float, float, float)
{
    return 0;
}
void plat_panel_end() {}
void plat_panel_text(const char *) {}
void plat_panel_same_line() {}
int plat_panel_tile(int, uint32_t, const float *, uint32_t, const char *, float, int)
{
    return 0;
}
int plat_panel_number(const char *, int *, int, int, int)
{
    return 0;
}
int plat_panel_button(const char *)
{
    return 0;
}

#endif
