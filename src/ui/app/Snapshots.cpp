#include "ui/app/Snapshots.h"

#include "app/AppContext.h"
#include "app/I18n.h"
#include "display/DisplayManager.h"
#include "platform/sim/SimPlatform.h"
#include "ui/components/Badge.h"
#include "ui/components/DS.h"
#include "ui/components/Eyebrow.h"
#include "ui/components/GlowSlider.h"
#include "ui/components/PillButton.h"
#include "ui/components/ScreenMark.h"
#include "ui/components/Surface.h"
#include "ui/hud/HUDView.h"
#include "ui/scenes/ManagerWindow.h"
#include "ui/panel/MenuPanel.h"

#include <QDir>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QVBoxLayout>

#include <cmath>
#include <stdexcept>

namespace vp::ui {

namespace {

constexpr double kScale = 2.0;

void sendMouse(QWidget* widget, QEvent::Type type, QPointF at) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// Lets animations run for a while.
void runFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class Writer {
public:
    explicit Writer(QString dir) : dir_(std::move(dir)) {}

    // Pictures the widget at its natural size, or at the size it was given.
    void save(QWidget& widget, const QString& name, bool natural = true) {
        widget.ensurePolished();
        if (widget.layout()) widget.layout()->activate();
        if (natural) widget.adjustSize();
        QImage image(widget.size() * kScale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(kScale);
        image.fill(Qt::transparent);
        widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        QString path = QDir(dir_).filePath(name + QStringLiteral(".png"));
        if (!image.save(path)) throw std::runtime_error(path.toStdString() + ": cannot be written");
        written_ << path;
    }
    const QStringList& written() const { return written_; }

private:
    QString dir_;
    QStringList written_;
};

// A dark sheet the components are laid out on, row by row with captions.
class Sheet : public QWidget {
public:
    Sheet() {
        grid_ = new QGridLayout(this);
        grid_->setContentsMargins(16, 16, 16, 16);
        grid_->setHorizontalSpacing(16);
        grid_->setVerticalSpacing(12);
        setAttribute(Qt::WA_StyledBackground);
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, DS::bg);
        setPalette(pal);
    }
    void add(const QString& caption, QWidget* widget) {
        auto* label = new QLabel(caption);
        label->setFont(DS::font(10));
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, DS::faint);
        label->setPalette(pal);
        int row = grid_->rowCount();
        grid_->addWidget(label, row, 0);
        grid_->addWidget(widget, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
    }

private:
    QGridLayout* grid_;
};

GlowSlider* slider(double value, QColor tint, std::string icon = {}, std::string trailing = {}, bool percent = true) {
    GlowSlider::Options o;
    o.tint = tint;
    o.icon = std::move(icon);
    o.trailingIcon = std::move(trailing);
    o.showPercent = percent;
    auto* s = new GlowSlider(value, o);
    s->setFixedWidth(260);
    return s;
}

void sliderSheet(Writer& out) {
    Sheet sheet;
    sheet.add(QStringLiteral("0 (lower bound)"), slider(0, DS::primary));
    sheet.add(QStringLiteral("0.5"), slider(0.5, DS::primary, "sun.min", "sun.max.fill"));
    sheet.add(QStringLiteral("1 (upper bound)"), slider(1, DS::primary));
    sheet.add(QStringLiteral("1.3 (drawn clamped)"), slider(1.3, DS::warning, "sun.max.trianglebadge.exclamationmark"));
    sheet.add(QStringLiteral("warmth, no percent"), slider(0.35, DS::warm, "thermometer.sun", {}, false));
    sheet.add(QStringLiteral("contrast"), slider(0.7, DS::glow, "circle.lefthalf.filled"));
    auto* dragged = slider(0.6, DS::primary, "sun.min", "sun.max.fill");
    sheet.add(QStringLiteral("while dragging"), dragged);
    sheet.adjustSize();
    // Press on the slider and let the grow animation finish.
    QRectF track = dragged->trackRect();
    QPointF at(track.x() + 0.6 * track.width(), track.center().y());
    sendMouse(dragged, QEvent::MouseButtonPress, at);
    runFor(200);
    out.save(sheet, QStringLiteral("glowslider"));
    sendMouse(dragged, QEvent::MouseButtonRelease, at);
}

void buttonSheet(Writer& out) {
    Sheet sheet;
    sheet.add(QStringLiteral("primary"), new PillButton(QStringLiteral("Create"), {true, false}));
    sheet.add(QStringLiteral("primary, compact"), new PillButton(QStringLiteral("Create"), {true, true}));
    sheet.add(QStringLiteral("secondary"), new PillButton(QStringLiteral("Cancel"), {false, false}));
    sheet.add(QStringLiteral("chip"),
              new PillButton(QStringLiteral("Virtual screens"), PillButtonStyle::chip(), "rectangle.on.rectangle"));
    sheet.add(QStringLiteral("chip, symbol only"), new PillButton({}, PillButtonStyle::chip(), "power"));
    auto* pressed = new PillButton(QStringLiteral("Create"), {true, false});
    pressed->setDown(true);
    sheet.add(QStringLiteral("primary, pressed"), pressed);
    auto* pressedChip = new PillButton(QStringLiteral("Refresh"), PillButtonStyle::chip(), "arrow.clockwise");
    pressedChip->setDown(true);
    sheet.add(QStringLiteral("chip, pressed"), pressedChip);
    out.save(sheet, QStringLiteral("pillbutton"));
}

void cardSheet(Writer& out) {
    Sheet sheet;
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(new Eyebrow(QStringLiteral("All screens")));
    auto* badges = new QHBoxLayout;
    badges->setSpacing(6);
    badges->addWidget(new Badge(QStringLiteral("HiDPI"), DS::glow));
    badges->addWidget(new Badge(QStringLiteral("Virtual"), DS::warm));
    badges->addWidget(new Badge(QStringLiteral("DDC"), DS::primary));
    badges->addStretch(1);
    column->addLayout(badges);
    column->addWidget(slider(0.42, DS::primary, "sun.min", "sun.max.fill"));
    sheet.add(QStringLiteral("surface(padding: 10)"), surface(content, 10));
    auto* marks = new QWidget;
    auto* row = new QHBoxLayout(marks);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    // The pulse at its lowest (sin = −1) and highest (sin = 1).
    for (double size : {22.0, 48.0})
        for (double t : {-M_PI / 3.2, M_PI / 3.2}) {
            auto* mark = new ScreenMark(size);
            mark->freezeAt(t);
            row->addWidget(mark);
        }
    sheet.add(QStringLiteral("ScreenMark 22 / 48, p = 0 and 1"), marks);
    out.save(sheet, QStringLiteral("surface-eyebrow-badge-mark"));
}

void hudShots(Writer& out) {
    struct Shot {
        double value;
        const char* icon;
        const char* name;
    };
    for (const Shot& s : {Shot{0, "sun.min.fill", "hud-0"}, Shot{0.25, "sun.min.fill", "hud-25"},
                          Shot{0.6, "sun.max.fill", "hud-60"}, Shot{1, "sun.max.fill", "hud-100"},
                          Shot{0, "speaker.slash.fill", "hud-volume-muted"},
                          Shot{0.2, "speaker.wave.1.fill", "hud-volume-20"},
                          Shot{0.8, "speaker.wave.3.fill", "hud-volume-80"}}) {
        HUDView hud;
        hud.setLevel(s.value, s.icon);
        out.save(hud, QString::fromLatin1(s.name));
    }
}

}  // namespace

QStringList writeSnapshots(const QString& dir) {
    if (!QDir().mkpath(dir)) throw std::runtime_error(dir.toStdString() + ": cannot be made");
    Writer out(dir);

    // The panel counts the screens of the default simulated system.
    SimPlatform platform;
    platform.loadScenarioFile(SimPlatform::defaultScenarioPath());
    I18n::initialize(platform.system().preferredLanguages());
    AppContext context(platform);
    context.install();
    context.displayManager().start();
    platform.runUntilIdle();

    MenuPanel panel(context, [] {}, [] {});
    panel.adjustSize();
    out.save(panel, QStringLiteral("panel"));
    ManagerWindow manager(context);
    out.save(manager, QStringLiteral("manager"), false);
    hudShots(out);
    sliderSheet(out);
    buttonSheet(out);
    cardSheet(out);
    return out.written();
}

}  // namespace vp::ui
