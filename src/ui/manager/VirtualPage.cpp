#include "ui/manager/VirtualPage.h"

#include "app/AppContext.h"
#include "app/I18n.h"
#include "display/DisplayManager.h"
#include "display/VirtualEngine.h"
#include "platform/Platform.h"
#include "ui/components/Badge.h"
#include "ui/components/SymbolView.h"
#include "ui/components/DS.h"
#include "ui/components/Eyebrow.h"
#include "ui/components/PillButton.h"
#include "ui/components/Surface.h"
#include "ui/components/Symbols.h"
#include "ui/controls/SegmentedPicker.h"
#include "ui/controls/Text.h"
#include "ui/controls/Toggle.h"
#include "ui/manager/PageHeader.h"

#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace vp::ui {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QString fieldStyle() {
    return DS::sheet(QStringLiteral(
        "QLineEdit { background: $surface2; color: $text; border: 1px solid $border; border-radius: 8px;"
        " padding: 7px 10px; selection-background-color: $primaryDeep; }"));
}

// A label above a text field.
QWidget* field(const QString& label, QLineEdit*& edit, const QString& placeholder, const char* name) {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(text(label, 10.5, DS::muted));
    edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    edit->setFont(DS::font(12.5));
    edit->setStyleSheet(fieldStyle());
    column->addWidget(edit);
    return box;
}

QWidget* topPadded(QWidget* child, int top = 14) {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, top, 0, 0);
    column->addWidget(child);
    return box;
}

// The headline in the warning colour, the platform's reason beneath it.
QWidget* noticeView(const VirtualNotice& notice) {
    auto* box = new QWidget;
    box->setObjectName("unavailable");
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(wrappingText(q(notice.headline), 12, DS::warning));
    if (!notice.reason.empty()) {
        QLabel* reason = wrappingText(q(notice.reason), 10.5, DS::muted);
        reason->setObjectName("unavailableReason");
        column->addWidget(reason);
    }
    return box;
}

}  // namespace

VirtualPage::VirtualPage(AppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addWidget(new PageHeader(q(L("Telas virtuais")), q(L("Telas que não existem,")), q(L("mas o computador acredita."))));
    column->addWidget(wrappingText(q(L("Úteis para testar saídas de projeção, ter mais espaço no compartilhamento de tela "
                                       "ou rodar o computador sem monitor. Ficam salvas e voltam quando o app abre.")),
                                   12, DS::muted));
    auto notice = virtualNotice(context_.platform().capabilities().virtualDisplays, context_.virtualEngine().isAvailable());
    if (notice) column->addWidget(noticeView(*notice));
    QWidget* creation = surface(creationCard(), 16);
    if (notice) {
        // Left in view, dimmed, so the page still shows what it would offer.
        creation->setEnabled(false);
        auto* dim = new QGraphicsOpacityEffect(creation);
        dim->setOpacity(0.5);
        creation->setGraphicsEffect(dim);
    }
    column->addWidget(creation);

    created_ = new QWidget;
    auto* createdColumn = new QVBoxLayout(created_);
    createdColumn->setContentsMargins(0, 0, 0, 0);
    createdColumn->setSpacing(16);
    createdColumn->addWidget(new Eyebrow(q(L("Criadas"))));
    auto* rowsHost = new QWidget;
    createdRows_ = new QVBoxLayout(rowsHost);
    createdRows_->setContentsMargins(0, 0, 0, 0);
    createdRows_->setSpacing(8);
    createdColumn->addWidget(rowsHost);
    column->addWidget(created_);

    changed_ = context_.displayManager().onChange([this] { syncRows(); });
    syncFields();
    syncRows();
}

QWidget* VirtualPage::creationCard() {
    auto* card = new QWidget;
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(new Eyebrow(q(L("Nova tela virtual"))));

    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    top->addWidget(field(q(L("Nome")), name_, q(L("Ex.: Projetor teste")), "name"), 1);
    preset_ = new QComboBox;
    preset_->setObjectName("preset");
    preset_->setFixedWidth(200);
    preset_->setFont(DS::font(12));
    preset_->setStyleSheet(DS::sheet(QStringLiteral(
        "QComboBox { background: $surface2; color: $text; border: 1px solid $border; border-radius: 8px;"
        " padding: 6px 10px; }"
        "QComboBox::drop-down { border: none; width: 18px; }"
        "QComboBox QAbstractItemView { background: $surface2; color: $text; selection-background-color: $primaryDeep; }")));
    for (const Preset& preset : Preset::all()) preset_->addItem(q(preset.id));
    top->addWidget(topPadded(preset_, 18), 0, Qt::AlignBottom);
    column->addLayout(top);

    auto* sizes = new QHBoxLayout;
    sizes->setSpacing(8);
    QWidget* widthField = field(q(L("Largura")), width_, QStringLiteral("1920"), "width");
    widthField->setFixedWidth(110);
    sizes->addWidget(widthField);
    sizes->addWidget(topPadded(text(QStringLiteral("×"), 12.5, DS::muted)));
    QWidget* heightField = field(q(L("Altura")), height_, QStringLiteral("1080"), "height");
    heightField->setFixedWidth(110);
    sizes->addWidget(heightField);

    auto* hz = new QWidget;
    auto* hzColumn = new QVBoxLayout(hz);
    hzColumn->setContentsMargins(0, 0, 0, 0);
    hzColumn->setSpacing(4);
    hzColumn->addWidget(text(q(L("Hz")), 10.5, DS::muted));
    QStringList choices;
    for (double rate : VirtualForm::refreshChoices()) choices << QString::number(int(rate));
    auto* refresh = new SegmentedPicker(choices);
    refresh->setObjectName("refresh");
    refresh->setFixedSize(140, 30);
    refresh->setSelected(1);
    refresh->onSelect = [this](int index) { form_.refresh = VirtualForm::refreshChoices()[std::size_t(index)]; };
    hzColumn->addWidget(refresh);
    sizes->addWidget(hz, 0, Qt::AlignTop);
    sizes->addStretch(1);
    column->addLayout(sizes);

    // The switch and the button get their own line: with the window's
    // narrowest width the fields, picker, switch and button do not fit one.
    auto* finish = new QHBoxLayout;
    finish->setSpacing(8);

    auto* hiDPI = new QWidget;
    auto* hiDPIRow = new QHBoxLayout(hiDPI);
    hiDPIRow->setContentsMargins(0, 0, 0, 0);
    hiDPIRow->setSpacing(6);
    auto* hiDPISwitch = new Toggle(Toggle::Size::small);
    hiDPISwitch->setObjectName("hidpi");
    hiDPISwitch->onToggle = [this](bool on) { form_.hiDPI = on; };
    hiDPIRow->addWidget(hiDPISwitch);
    hiDPIRow->addWidget(text(QStringLiteral("HiDPI"), 12, DS::text));
    hiDPI->setToolTip(q(L("Dobra os pixels: texto nítido, mas usa mais memória de vídeo")));
    finish->addWidget(hiDPI, 0, Qt::AlignVCenter);
    finish->addStretch(1);

    create_ = new PillButton(q(L("Criar")), PillButtonStyle{true, false});
    create_->setObjectName("create");
    finish->addWidget(create_, 0, Qt::AlignVCenter);
    column->addLayout(finish);

    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.name = t.toStdString(); });
    connect(width_, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.width = t.toStdString();
        create_->setEnabled(form_.canCreate());
    });
    connect(height_, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.height = t.toStdString();
        create_->setEnabled(form_.canCreate());
    });
    connect(preset_, &QComboBox::activated, this, [this](int index) {
        form_.choosePreset(Preset::all()[std::size_t(index)]);
        syncFields();
    });
    connect(create_, &QAbstractButton::clicked, this, [this] {
        form_.create(context_.displayManager());
        syncFields();
    });
    return card;
}

void VirtualPage::syncFields() {
    name_->setText(q(form_.name));
    width_->setText(q(form_.width));
    height_->setText(q(form_.height));
    const auto& presets = Preset::all();
    auto it = std::find(presets.begin(), presets.end(), form_.preset);
    preset_->setCurrentIndex(int(it - presets.begin()));
    create_->setEnabled(form_.canCreate());
}

void VirtualPage::syncRows() {
    const std::vector<VirtualSpec>& specs = context_.displayManager().state().specs;
    created_->setVisible(!specs.empty());
    if (specs == shownSpecs_ && createdRows_->count() == int(specs.size())) return;
    shownSpecs_ = specs;
    while (QLayoutItem* item = createdRows_->takeAt(0)) {
        // A row's own switch or button may be what changed the list.
        item->widget()->hide();
        item->widget()->setParent(nullptr);
        item->widget()->deleteLater();
        delete item;
    }
    for (const VirtualSpec& spec : specs) createdRows_->addWidget(row(spec));
}

QWidget* VirtualPage::row(const VirtualSpec& spec) {
    auto* body = new QWidget;
    auto* layout = new QHBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(new SymbolView("sparkles.rectangle.stack", spec.enabled ? DS::primary : DS::faint, 18));

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(text(q(spec.name), 12.5, DS::text, QFont::DemiBold));
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    line->addWidget(text(q(virtualRowText(spec)), 10.5, DS::muted));
    if (spec.hiDPI) line->addWidget(new Badge(QStringLiteral("HiDPI"), DS::glow));
    line->addStretch(1);
    texts->addLayout(line);
    layout->addLayout(texts, 1);

    DisplayManager& dm = context_.displayManager();
    auto* enabled = new Toggle;
    enabled->setObjectName("enabled");
    enabled->setChecked(spec.enabled);
    enabled->onToggle = [&dm, spec](bool on) { dm.toggleVirtual(spec, on); };
    layout->addWidget(enabled);
    auto* remove = new PillButton({}, PillButtonStyle::chip(), "trash");
    remove->setObjectName("remove");
    remove->setToolTip(q(L("Remover")));
    connect(remove, &QAbstractButton::clicked, body, [&dm, spec] { dm.removeVirtual(spec); });
    layout->addWidget(remove);

    Surface* card = surface(body, 12);
    card->setObjectName(q(spec.id.text()));
    return card;
}

}  // namespace vp::ui
