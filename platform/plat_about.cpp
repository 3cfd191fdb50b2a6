// plat_about on Dear ImGui: a modal popup with the eight texts of the About box and its OK button.
#include "platform/plat_about.h"

#include "platform/plat_owner.h"

#include <string>

#if VM_HAVE_IMGUI
#include <imgui.h>
#endif

namespace {

struct PLAT_ABOUT {
    int shown;
    int opening;       // the popup opens in the next frame
    std::string caption, id, lines[7];
};

PLAT_ABOUT about;

} // namespace

void plat_about_open(const PLAT_ABOUT_TEXTS *texts)
{
    if (!texts) return;
    auto text = [](const char *t) { return std::string(t ? t : ""); };
    about.caption = text(texts->caption);
    // The caption changes with the language; the id after "###" keeps the popup the same one.
    about.id = about.caption + "###about";
    const char *const l[7] = {texts->title,      texts->version,  texts->memory, texts->copyright1,
                              texts->copyright2, texts->reserved, texts->license};
    for (int i = 0; i < 7; i++) about.lines[i] = text(l[i]);
    about.shown = 1;
    about.opening = 1;
    plat_owner_take(PLAT_OWNER_DIALOG);
}

void plat_about_close()
{
    about.shown = 0;
    about.opening = 0;
    plat_owner_give_back(PLAT_OWNER_DIALOG);
}

int plat_about_shown()
{
    return about.shown;
}

void plat_about_draw()
{
#if VM_HAVE_IMGUI
    if (!about.shown) return;
    if (about.opening) {
        ImGui::OpenPopup(about.id.c_str());
        about.opening = 0;
    }
    ImGuiIO &io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    if (!ImGui::BeginPopupModal(about.id.c_str(), nullptr, ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove)) {
        plat_about_close();
        return;
    }
    for (int i = 0; i < 7; i++) {
        if (i == 2 || i == 3) ImGui::Spacing();
        ImGui::TextUnformatted(about.lines[i].c_str());
    }
    ImGui::Spacing();
    ImGui::Separator();
    // An information box offers one answer: OK, which reads the same in every language.
    bool close = ImGui::Button("OK", ImVec2(90, 0));
    close |= ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape));
    if (close) {
        ImGui::CloseCurrentPopup();
        plat_about_close();
    }
    ImGui::EndPopup();
#endif
}
