#include "app/presentation/GeneralSettings.h"

#include "app/AppContext.h"
#include "app/I18n.h"
#include "display/DisplayManager.h"
#include "input/BrightnessKeys.h"

namespace vp {

std::vector<GeneralRow> generalRows() {
    return {
        {GeneralSwitch::loginItem, L("Abrir ao iniciar sessão"), L("O Velvetpane fica na área de notificação.")},
        {GeneralSwitch::restoreHiDPI, L("Reativar HiDPI ao abrir"),
         L("Monitores com HiDPI virtual voltam sozinhos quando o app abre.")},
        {GeneralSwitch::keysAllScreens, L("Teclas de brilho controlam todas as telas"),
         L("As teclas 🔅🔆 do teclado mudam o brilho de todas as telas juntas.")},
        {GeneralSwitch::dimBelow, L("Escurecer abaixo do mínimo"),
         L("O início do slider escurece a tela integrada e monitores DDC além do mínimo do hardware.")},
        {GeneralSwitch::volumeKeys, L("Teclas de volume controlam o monitor"),
         L("Quando o som sai por HDMI ou DisplayPort, as teclas de volume mudam o volume do monitor via DDC.")},
    };
}

const char* GeneralSettings::defaultsKey(GeneralSwitch id) {
    switch (id) {
        case GeneralSwitch::restoreHiDPI: return "restoreHiDPI";
        case GeneralSwitch::keysAllScreens: return "brightnessKeysAllScreens";
        case GeneralSwitch::dimBelow: return "dimBelowMinimum";
        case GeneralSwitch::volumeKeys: return "volumeKeysDDC";
        case GeneralSwitch::loginItem: break;
    }
    return "";
}

GeneralSettings::GeneralSettings(AppContext& context)
    : context_(context),
      loginItem_(context.platform().system().loginItemEnabled()),
      axGranted_(context.keys().hasPermission()) {}

bool GeneralSettings::value(GeneralSwitch id) const {
    switch (id) {
        case GeneralSwitch::loginItem: return loginItem_;
        case GeneralSwitch::keysAllScreens: return context_.keys().enabled();
        case GeneralSwitch::volumeKeys: return context_.keys().volumeEnabled();
        case GeneralSwitch::restoreHiDPI:
        case GeneralSwitch::dimBelow: break;
    }
    return context_.platform().system().defaults().boolean(defaultsKey(id)).value_or(true);
}

void GeneralSettings::set(GeneralSwitch id, bool on) {
    SystemServices& system = context_.platform().system();
    if (id == GeneralSwitch::loginItem) {
        loginItem_ = on;  // the switch keeps the user's position even when this fails
        if (!system.setLoginItemEnabled(on))
            context_.displayManager().setLastError(L("Não foi possível mudar a abertura ao iniciar sessão."));
        return;
    }
    // The key handling starts or stops its tap at once.
    if (id == GeneralSwitch::keysAllScreens) return context_.keys().setEnabled(on);
    if (id == GeneralSwitch::volumeKeys) return context_.keys().setVolumeEnabled(on);
    system.defaults().setBool(defaultsKey(id), on);
    if (id == GeneralSwitch::dimBelow) context_.displayManager().refresh();
}

bool GeneralSettings::accessibilityWarning() const {
    return value(GeneralSwitch::volumeKeys) && !axGranted_;
}

void GeneralSettings::pollPermission() {
    axGranted_ = context_.keys().hasPermission();
}

}  // namespace vp
