// The editor's texts in the game's six languages (UTF-8, as the panels draw them), chosen by the
// current language's number.
#include "editor/editor_local.h"

#include "game/game_text.h"

namespace {

constexpr int LANGUAGES = 6;

// Languages by number: 1 English, 2 German, 3 Spanish, 4 French, 5 Italian, 6 Portuguese.
constexpr const char *texts[LANGUAGES][ET_TEXTS] = {
    {"Level %d of %d", "(changed)", "Bricks", "Metal: never breaks", "One hit", "Two hits", "Level settings", "Enemies, bonuses",
     "Ball speed", "Top ball speed", "Speed increase", "Floor", "Border", "Background", "Enemy type",
     "Enemy frequency", "Enemy speed", "Bonus chance %", "Enemies at most", "Saved in %s", "Not saved: %s",
     "Save the changes to %s?", "Enter: save and leave   Backspace: leave without saving   Esc: keep editing",
     "Tab: panels   F5: play the level   Ctrl+S: save   Esc: leave", "A set holds at most 48 levels"},
    {"Level %d von %d", "(geändert)", "Steine", "Metall: unzerstörbar", "Ein Treffer", "Zwei Treffer",
     "Level-Einstellungen", "Gegner, Boni", "Ballgeschwindigkeit", "Höchstgeschwindigkeit", "Beschleunigung", "Boden", "Rand",
     "Hintergrund", "Gegnerart", "Gegnerhäufigkeit", "Gegnertempo", "Bonuschance %", "Gegner höchstens",
     "Gespeichert in %s", "Nicht gespeichert: %s", "Änderungen an %s speichern?",
     "Enter: speichern und beenden   Rücktaste: ohne Speichern beenden   Esc: weiter bearbeiten",
     "Tab: Felder   F5: Level spielen   Strg+S: speichern   Esc: beenden",
     "Ein Satz fasst höchstens 48 Level"},
    {"Nivel %d de %d", "(modificado)", "Ladrillos", "Metal: indestructible", "Un golpe", "Dos golpes",
     "Ajustes del nivel", "Enemigos, bonus", "Velocidad de la bola", "Velocidad máxima", "Aceleración", "Suelo", "Borde", "Fondo",
     "Tipo de enemigo", "Frecuencia de enemigos", "Velocidad de enemigos", "Probabilidad de bonus %",
     "Enemigos como máximo", "Guardado en %s", "No guardado: %s", "¿Guardar los cambios en %s?",
     "Intro: guardar y salir   Retroceso: salir sin guardar   Esc: seguir editando",
     "Tab: paneles   F5: jugar el nivel   Ctrl+S: guardar   Esc: salir",
     "Un conjunto tiene como máximo 48 niveles"},
    {"Niveau %d sur %d", "(modifié)", "Briques", "Métal : indestructible", "Un coup", "Deux coups",
     "Réglages du niveau", "Ennemis, bonus", "Vitesse de la balle", "Vitesse maximale", "Accélération", "Sol", "Bordure", "Décor",
     "Type d'ennemi", "Fréquence des ennemis", "Vitesse des ennemis", "Chance de bonus %", "Ennemis au plus",
     "Enregistré dans %s", "Non enregistré : %s", "Enregistrer les modifications de %s ?",
     "Entrée : enregistrer et quitter   Retour arrière : quitter sans enregistrer   Échap : continuer",
     "Tab : panneaux   F5 : jouer le niveau   Ctrl+S : enregistrer   Échap : quitter",
     "Une série compte au plus 48 niveaux"},
    {"Livello %d di %d", "(modificato)", "Mattoni", "Metallo: indistruttibile", "Un colpo", "Due colpi",
     "Impostazioni del livello", "Nemici, bonus", "Velocità della palla", "Velocità massima", "Accelerazione", "Pavimento",
     "Bordo", "Sfondo", "Tipo di nemico", "Frequenza dei nemici", "Velocità dei nemici", "Probabilità bonus %",
     "Nemici al massimo", "Salvato in %s", "Non salvato: %s", "Salvare le modifiche a %s?",
     "Invio: salva ed esci   Backspace: esci senza salvare   Esc: continua a modificare",
     "Tab: pannelli   F5: gioca il livello   Ctrl+S: salva   Esc: esci",
     "Una raccolta contiene al massimo 48 livelli"},
    {"Nível %d de %d", "(alterado)", "Tijolos", "Metal: indestrutível", "Um golpe", "Dois golpes",
     "Definições do nível", "Inimigos, bónus", "Velocidade da bola", "Velocidade máxima", "Aceleração", "Chão", "Borda", "Fundo",
     "Tipo de inimigo", "Frequência de inimigos", "Velocidade dos inimigos", "Probabilidade de bónus %",
     "Inimigos no máximo", "Guardado em %s", "Não guardado: %s", "Guardar as alterações em %s?",
     "Enter: guardar e sair   Retrocesso: sair sem guardar   Esc: continuar a editar",
     "Tab: painéis   F5: jogar o nível   Ctrl+S: guardar   Esc: sair",
     "Um conjunto tem no máximo 48 níveis"},
};

} // namespace

const char *editor_text(int text)
{
    const int language = game_language >= 1 && game_language <= LANGUAGES ? game_language - 1 : 0;
    return text >= 0 && text < ET_TEXTS ? texts[language][text] : "";
}
