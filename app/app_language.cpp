// The language list. Until the language file is read, the game offers its six built-in
// languages; the current one starts as English.
#include "app/app_language.h"

namespace {

const KX_DSP_LANGUAGE app_languages[] = {
    {"English", "EN", "Fullscreen", "Window", 0},
    {"Deutsch", "DE", "Vollbild", "Fenster", 1},
    {"Espa\xC3\xB1ol", "ES", "Pantalla completa", "Ventana", 2},
    {"Fran\xC3\xA7" "ais", "FR", "Plein \xC3\xA9" "cran", "Fen\xC3\xAAtre", 3},
    {"Italiano", "IT", "Schermo intero", "Finestra", 4},
    {"Portugu\xC3\xAAs", "PT", "Ecr\xC3\xA3 inteiro", "Janela", 5},
};
constexpr int APP_LANGUAGES = sizeof app_languages / sizeof app_languages[0];

int app_language_current;

} // namespace

int Languages_Load(const char *)
{
    app_language_current = 0;
    return 1;
}

void Languages_Free()
{
}

void Language_Select(int number)
{
    if (number >= 0 && number < APP_LANGUAGES) app_language_current = number;
}

const char *Language_Abbreviation()
{
    return app_languages[app_language_current].abbreviation;
}

void Language_Menu_List(const KX_DSP_LANGUAGE **languages, int *count, int *current)
{
    *languages = app_languages;
    *count = APP_LANGUAGES;
    *current = app_language_current;
}
