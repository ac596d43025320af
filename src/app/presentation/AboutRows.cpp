#include "app/presentation/AboutRows.h"

#include "app/I18n.h"
#include "platform/Platform.h"

namespace vp {

std::vector<std::pair<std::string, std::string>> aboutRows(Platform& platform) {
    std::string version = VELVETPANE_VERSION;
    return {
        {L("Versão"), version.empty() ? "1.0" : version},
        {L("Plataforma"), platform.name() == "simulated" ? L("simulada: nenhuma tela real é controlada")
                                                         : std::string("Linux · ").append(platform.summary())},
        {L("Brilho"), L("Interno (tela do notebook) · DDC/CI (monitores externos) · Software (gama)")},
        {L("Atalhos por URL"), "velvetpane://brightness?value=0-100 · velvetpane://warmth?value=0-100"},
        {L("Registro"), platform.system().logFileDisplayPath()},
    };
}

}  // namespace vp
