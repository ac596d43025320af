#include "ui/card/ScreenCard.h"

#include "app/AppContext.h"
#include "app/I18n.h"
#include "display/DisplayManager.h"
#include "input/BrightnessKeys.h"
#include "pip/PiPController.h"
#include "ui/card/CardParts.h"
#include "ui/components/Badge.h"
#include "ui/components/DS.h"
#include "ui/components/GlowSlider.h"
#include "ui/components/PillButton.h"
#include "ui/components/Surface.h"
#include "ui/components/Symbols.h"
#include "ui/controls/ChipMenuButton.h"
#include "ui/controls/Text.h"
#include "ui/controls/Toggle.h"

#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace vp::ui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QColor color(Tint tint) {
    switch (tint) {
        case Tint::primary: return DS::primary;
        case Tint::glow: return DS::glow;
        case Tint::warm: return DS::warm;
        case Tint::warning: return DS::warning;
        case Tint::muted: return DS::muted;
        case Tint::faint: return DS::faint;
    }
    return DS::muted;
}

QHBoxLayout* hbox(QWidget* owner, int spacing) {
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QWidget* switchRow(const char* name, const QString& label, double points, bool on, const QString& help,
                   std::function<void(bool)> onToggle) {
    auto* row = new QWidget;
    auto* layout = hbox(row, 5);
    auto* toggle = new Toggle(Toggle::Size::mini);
    toggle->setObjectName(name);
    toggle->setChecked(on);
    toggle->onToggle = std::move(onToggle);
    layout->addWidget(toggle);
    // The volume-keys label may shorten; "Software only" keeps its text and
    // the input menu beside it gives way instead.
    if (std::string_view(name) == "volumeKeys") layout->addWidget(new ElidedLabel(label, DS::font(points), DS::muted), 1);
    else layout->addWidget(text(label, points, DS::muted));
    row->setToolTip(help);
    return row;
}

// 44 points, or what the widest method label needs in this font.
int methodWidth(const QFont& font) {
    QFontMetricsF metrics(font);
    double widest = 44;
    for (auto method : {BrightnessMethod::builtin, BrightnessMethod::ddc, BrightnessMethod::software})
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(methodLabel(method))) + 1);
    return int(std::ceil(widest));
}

// A menu item the platform cannot carry out: disabled, with the reason as
// its tooltip and as a faint line beneath it, read without hovering too.
void addUnavailable(QMenu& menu, const QString& title, const std::string& symbol, const QString& reason) {
    menu.setToolTipsVisible(true);
    QAction* item = addItem(menu, title, symbol, {});
    item->setEnabled(false);
    item->setToolTip(reason);
    QAction* why = menu.addAction(reason);
    why->setEnabled(false);
    why->setFont(DS::font(10));
    why->setToolTip(reason);
}

// The manager's value is what a slider shows, during a drag too: the card
// writes each dragged value into the manager before calling it.
void setSlider(QWidget* root, const char* name, double value) {
    if (auto* slider = root->findChild<GlowSlider*>(name)) slider->setValue(value);
}

}  // namespace

ScreenCard::ScreenCard(AppContext& context, Screen screen, QWidget* parent)
    : QWidget(parent), context_(context), manager_(context.displayManager()), screen_(std::move(screen)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    refresh();
}

void ScreenCard::setScreen(const Screen& screen) {
    screen_ = screen;
    refresh();
}

void ScreenCard::setExpanded(bool expanded) {
    if (expanded == expanded_) return;
    expanded_ = expanded;
    refresh();
    // The panel's window follows the card's new height.
    QTimer::singleShot(0, this, [this] {
        if (QWidget* host = window(); host && host != this) host->adjustSize();
    });
}

std::string ScreenCard::structure(const CardModel& m) const {
    std::string key = m.name + '\n' + m.subtitle + '\n';
    for (const BadgeModel& badge : m.badges) key += badge.text + ',';
    key += m.hiDPINote.value_or("") + '\n';
    key += m.methodNote.value_or("") + '\n';
    key += m.hiDPIUnavailable.value_or("") + '\n';
    key += m.profileNote.value_or("") + '\n';
    bool flags[] = {expanded_, m.expandButton, m.reconnectRow, m.brightnessRow, m.actionsRow,
                    m.xdrLevel.has_value(), m.volume.has_value(), m.profileMenu, m.inputMenu,
                    m.softwareOnlySwitch, m.hiDPIButton, m.hiDPIPrimary, m.pipPrimary};
    for (bool flag : flags) key += flag ? '1' : '0';
    return key;
}

void ScreenCard::refresh() {
    model_ = cardModel(cardFacts(context_, screen_));
    std::string shape = structure(model_);
    if (shape != structure_ || !content_) {
        structure_ = std::move(shape);
        rebuild();
    } else {
        updateValues();
    }
}

void ScreenCard::rebuild() {
    ++rebuilds_;
    if (content_) {
        // The old controls may be inside their own signal handler right now.
        content_->hide();
        content_->setParent(nullptr);  // out of reach of findChild until it goes
        content_->deleteLater();
    }
    auto* body = new QWidget;
    rows_ = new QVBoxLayout(body);
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(9);
    rows_->addWidget(titleRow());
    if (model_.reconnectRow) {
        rows_->addWidget(reconnectRow());
    } else {
        if (model_.brightnessRow) rows_->addWidget(brightnessRow());
        if (model_.brightnessRow && model_.methodNote) rows_->addWidget(methodNote());
        if (model_.hiDPINote) rows_->addWidget(hiDPINote());
        if (expanded_ && model_.extras) rows_->addWidget(extras());
        rows_->addWidget(actions());
    }
    content_ = surface(body, 11);
    layout()->addWidget(content_);
}

void ScreenCard::updateValues() {
    setSlider(content_, "brightness", model_.brightness);
    setSlider(content_, "warmth", model_.warmth);
    setSlider(content_, "contrast", model_.contrast);
    if (model_.xdrLevel) setSlider(content_, "xdr", *model_.xdrLevel);
    if (model_.volume) setSlider(content_, "volume", *model_.volume);
    if (auto* label = content_->findChild<QLabel*>("method")) label->setText(q(model_.methodLabel));
    if (auto* toggle = content_->findChild<Toggle*>("volumeKeys")) toggle->setChecked(model_.volumeKeys);
    if (auto* toggle = content_->findChild<Toggle*>("softwareOnly")) toggle->setChecked(model_.forceSoftware);
    if (auto* menu = content_->findChild<ChipMenuButton*>("input")) menu->setFace(q(model_.inputFace));
    if (auto* menu = content_->findChild<ChipMenuButton*>("profile")) menu->setFace(q(model_.profileFace));
    if (auto* note = content_->findChild<QLabel*>("profileNote"))
        note->setText(q(model_.profileFace + "\n" + model_.profileNote.value_or("")));
}

GlowSlider* ScreenCard::slider(const char* name, double value, const QColor& tint, const std::string& icon,
                               std::function<void(double)> write, std::function<void(double)> onChange) {
    GlowSlider::Options options;
    options.tint = tint;
    options.icon = icon;
    options.write = std::move(write);
    options.onChange = std::move(onChange);
    auto* s = new GlowSlider(value, std::move(options));
    s->setObjectName(name);
    return s;
}

QWidget* ScreenCard::titleRow() {
    auto* row = new QWidget;
    auto* layout = hbox(row, 9);
    layout->addWidget(new IconTile(model_.symbol));

    auto* texts = new QWidget;
    auto* column = new QVBoxLayout(texts);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* name = new ElidedLabel(q(model_.name), DS::font(12.5, QFont::DemiBold), DS::text);
    name->setObjectName("name");
    column->addWidget(name);
    auto* line = new QWidget;
    auto* lineLayout = hbox(line, 4);
    QLabel* subtitle = text(q(model_.subtitle), 10.5, DS::muted);
    subtitle->setObjectName("subtitle");
    lineLayout->addWidget(subtitle);
    for (const BadgeModel& badge : model_.badges) lineLayout->addWidget(new Badge(q(badge.text), color(badge.tint)));
    lineLayout->addStretch(1);
    column->addWidget(line);
    layout->addWidget(texts, 1);

    if (model_.expandButton) {
        auto* expand = new ExpandButton(expanded_);
        expand->setObjectName("expand");
        expand->setToolTip(q(L("Cor, contraste e áudio")));
        connect(expand, &QAbstractButton::clicked, this, [this] { setExpanded(!expanded_); });
        layout->addWidget(expand, 0, Qt::AlignVCenter);
    }
    return row;
}

QWidget* ScreenCard::reconnectRow() {
    auto* row = new QWidget;
    auto* layout = hbox(row, 6);
    layout->addWidget(text(q(L("Tela desligada pelo Velvetpane")), 11, DS::muted));
    layout->addStretch(1);
    auto* reconnect = new PillButton(q(L("Religar")), PillButtonStyle::chip());
    reconnect->setObjectName("reconnect");
    connect(reconnect, &QAbstractButton::clicked, this, [this] { manager_.setEnabled(screen_.id, true); });
    layout->addWidget(reconnect);
    return row;
}

QWidget* ScreenCard::brightnessRow() {
    auto* row = new QWidget;
    auto* layout = hbox(row, 6);
    const DisplayID id = screen_.id;
    layout->addWidget(slider(
        "brightness", model_.brightness, DS::primary, "sun.max", [this, id](double v) { manager_.setBrightness(id, v); },
        {}), 1);
    QLabel* method = text(q(model_.methodLabel), 9, DS::faint, QFont::Bold);
    QFont font = method->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    method->setFont(font);
    method->setObjectName("method");
    method->setFixedWidth(methodWidth(method->font()));
    method->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    method->setToolTip(q(L("Como o brilho é controlado nesta tela")));
    layout->addWidget(method);
    return row;
}

QWidget* ScreenCard::methodNote() {
    QLabel* note = wrappingText(q(*model_.methodNote), 10, DS::muted);
    note->setObjectName("methodNote");
    note->setAlignment(Qt::AlignRight);
    return note;
}

QWidget* ScreenCard::hiDPINote() {
    QLabel* note = wrappingText(q(*model_.hiDPINote), 10.5, DS::muted);
    note->setObjectName("hidpiNote");
    return note;
}

QWidget* ScreenCard::extras() {
    auto* section = new QWidget;
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new Divider);

    const Screen screen = screen_;
    const DisplayID id = screen.id;
    GlowSlider* warmth = slider("warmth", model_.warmth, DS::warm, "thermometer.sun", {},
                                [this, screen](double v) { manager_.setWarmth(screen, v); });
    warmth->setToolTip(q(L("Cor quente (filtro de luz azul)")));
    column->addWidget(warmth);
    GlowSlider* contrast = slider("contrast", model_.contrast, DS::glow, "circle.lefthalf.filled", {},
                                  [this, screen](double v) { manager_.setContrast(screen, v); });
    contrast->setToolTip(q(L("Contraste")));
    column->addWidget(contrast);
    if (model_.xdrLevel) {
        GlowSlider* xdr = slider(
            "xdr", *model_.xdrLevel, DS::warning, "sun.max.trianglebadge.exclamationmark",
            [this, screen](double v) { manager_.setXDR(screen, v); }, {});
        xdr->setToolTip(q(L("Brilho extra acima de 100% (XDR/HDR). Esquenta mais a tela e gasta mais bateria.")));
        column->addWidget(xdr);
    }
    if (model_.volume) {
        GlowSlider* volume = slider(
            "volume", *model_.volume, DS::primary, "speaker.wave.2", [this, id](double v) { manager_.setVolume(id, v); },
            {});
        volume->setToolTip(q(L("Volume do monitor (DDC)")));
        column->addWidget(volume);
        column->addWidget(switchRow(
            "volumeKeys", q(L("Teclas de volume controlam o monitor")), 11, model_.volumeKeys,
            q(L("Quando o som sai por HDMI ou DisplayPort, as teclas de volume mudam o volume do monitor via DDC.")),
            [this](bool on) { context_.keys().setVolumeEnabled(on); }));
    }
    if (model_.profileMenu) column->addWidget(profileMenu(), 0, Qt::AlignLeft);
    else if (model_.profileNote) column->addWidget(profileNote());
    // A row of its own, as the profile's: "Input: DisplayPort 1" in the
    // longer languages would not fit beside the switch and the reset button.
    if (model_.inputMenu) column->addWidget(inputMenu(), 0, Qt::AlignLeft);

    auto* bottom = new QWidget;
    auto* layout = hbox(bottom, 6);
    layout->addStretch(1);
    if (model_.softwareOnlySwitch)
        layout->addWidget(switchRow("softwareOnly", q(L("Só software")), 10.5, model_.forceSoftware,
                                    q(L("Ignora o DDC e escurece por gama (para monitores que não respondem bem)")),
                                    [this, screen](bool on) { manager_.setForceSoftware(screen, on); }));
    auto* reset = new PillButton(q(L("Redefinir")), PillButtonStyle::chip());
    reset->setObjectName("reset");
    connect(reset, &QAbstractButton::clicked, this, [this, screen] { manager_.resetColor(screen); });
    layout->addWidget(reset);
    column->addWidget(bottom);
    return section;
}

QWidget* ScreenCard::profileNote() {
    QLabel* note = wrappingText(q(model_.profileFace + "\n" + *model_.profileNote), 10, DS::muted);
    note->setObjectName("profileNote");
    return note;
}

ChipMenuButton* ScreenCard::profileMenu() {
    auto* menu = new ChipMenuButton(q(model_.profileFace), "paintpalette");
    menu->setObjectName("profile");
    menu->setToolTip(q(LF("Troca o perfil de cor (ICC) desta tela. Coloque perfis .icc em %@ para aparecerem aqui.",
                          {context_.platform().profiles().userFolderDisplayPath()})));
    menu->onShow = [this](QMenu& items) {
        manager_.reloadProfiles();
        CardModel fresh = cardModel(cardFacts(context_, screen_));
        const Screen screen = screen_;
        addItem(items, q(L("Padrão do monitor")), "arrow.uturn.backward",
                [this, screen] { manager_.setColorProfile(screen, std::nullopt); });
        items.addSeparator();
        for (const ProfileItem& item : fresh.profiles) {
            std::string path = item.profile.path;
            addItem(items, q(item.profile.name), item.checked ? "checkmark" : "",
                    [this, screen, path] { manager_.setColorProfile(screen, path); });
        }
        items.addSeparator();
        addItem(items, q(L("Abrir pasta de perfis…")), "", [this] { manager_.openProfilesFolder(); });
    };
    return menu;
}

ChipMenuButton* ScreenCard::inputMenu() {
    auto* menu = new ChipMenuButton(q(model_.inputFace), "cable.connector");
    menu->setObjectName("input");
    menu->onShow = [this](QMenu& items) {
        CardModel fresh = cardModel(cardFacts(context_, screen_));
        const DisplayID id = screen_.id;
        for (const ChoiceItem& choice : fresh.inputs) {
            int code = choice.code;
            addItem(items, q(choice.name), choice.checked ? "checkmark" : "",
                    [this, id, code] { manager_.setInput(id, code); });
        }
    };
    return menu;
}

ChipMenuButton* ScreenCard::resolutionMenu() {
    auto* menu = new ChipMenuButton(q(L("Resolução")), "aspectratio");
    menu->setObjectName("resolution");
    menu->onShow = [this](QMenu& items) {
        CardModel fresh = cardModel(cardFacts(context_, screen_));
        const DisplayID id = screen_.id;
        auto section = [&](const QString& title, const std::vector<ModeItem>& modes) {
            if (modes.empty()) return;
            items.addAction(title)->setEnabled(false);
            for (const ModeItem& item : modes) {
                ModeOption mode = item.mode;
                addItem(items, q(mode.label()), item.checked ? "checkmark" : "",
                        [this, id, mode] { manager_.apply(mode, id); });
            }
        };
        section(QStringLiteral("HiDPI"), fresh.hiDPIModes);
        section(q(L("Padrão")), fresh.standardModes);
    };
    return menu;
}

ChipMenuButton* ScreenCard::moreMenu() {
    auto* menu = new ChipMenuButton(QString(), "ellipsis");
    menu->setObjectName("more");
    menu->onShow = [this](QMenu& items) {
        CardFacts facts = cardFacts(context_, screen_);
        CardModel fresh = cardModel(facts);
        const DisplayID id = screen_.id;
        for (const MoreItem& item : fresh.more) {
            if (item.dividerBefore) items.addSeparator();
            switch (item.action) {
                case MoreAction::makeMain:
                    addItem(items, q(item.title), item.symbol, [this, id] { manager_.makeMain(id); });
                    break;
                case MoreAction::stopMirroring:
                    addItem(items, q(item.title), item.symbol, [this, id] { manager_.mirror(id, std::nullopt); });
                    break;
                case MoreAction::mirror: {
                    QMenu* targets = items.addMenu(q(item.title));
                    styleMenu(*targets);
                    targets->menuAction()->setIcon(
                        QIcon(Symbols::pixmap(item.symbol, DS::text, 14, items.devicePixelRatioF())));
                    for (const Screen& target : item.targets) {
                        DisplayID master = target.id;
                        addItem(*targets, q(target.name), "", [this, id, master] { manager_.mirror(id, master); });
                    }
                    break;
                }
                case MoreAction::disconnect:
                    if (!item.unavailable.empty())
                        addUnavailable(items, q(item.title), item.symbol, q(item.unavailable));
                    else
                        addItem(items, q(item.title), item.symbol, [this, id] { manager_.setEnabled(id, false); });
                    break;
                case MoreAction::turnOffVirtual: {
                    VirtualSpec spec = *facts.ownSpec;
                    addItem(items, q(item.title), item.symbol, [this, spec] { manager_.toggleVirtual(spec, false); });
                    break;
                }
            }
        }
    };
    return menu;
}

QWidget* ScreenCard::actions() {
    auto* row = new QWidget;
    auto* layout = hbox(row, 6);
    layout->addWidget(resolutionMenu());
    const Screen screen = screen_;
    if (model_.hiDPIButton) {
        auto* hidpi = new PillButton(QStringLiteral("HiDPI"), PillButtonStyle{model_.hiDPIPrimary, true}, model_.hiDPISymbol);
        hidpi->setObjectName("hidpi");
        hidpi->setToolTip(q(L("Texto nítido em qualquer monitor: cria uma tela virtual 2x e espelha este monitor nela")));
        bool on = model_.hiDPIPrimary;
        connect(hidpi, &QAbstractButton::clicked, this, [this, screen, on] {
            if (on) manager_.disableHiDPI(screen);
            else manager_.enableHiDPI(screen);
        });
        layout->addWidget(hidpi);
    } else if (model_.hiDPIUnavailable) {
        auto* hidpi = new PillButton(QStringLiteral("HiDPI"), PillButtonStyle::chip(), model_.hiDPISymbol);
        hidpi->setObjectName("hidpi");
        hidpi->setEnabled(false);
        hidpi->setToolTip(q(*model_.hiDPIUnavailable));
        layout->addWidget(hidpi);
    }
    auto* pip = new PillButton(QStringLiteral("PiP"), PillButtonStyle{model_.pipPrimary, true}, "pip");
    pip->setObjectName("pip");
    pip->setToolTip(q(L("Ver esta tela numa janela flutuante")));
    connect(pip, &QAbstractButton::clicked, this,
            [this, screen] { context_.pip().toggle(PiPController::Target::display(screen.id), screen.name); });
    layout->addWidget(pip);
    layout->addStretch(1);
    layout->addWidget(moreMenu());
    return row;
}

}  // namespace vp::ui
