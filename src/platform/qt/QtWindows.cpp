#include "platform/qt/QtWindows.h"

#include "platform/qt/QtWindowFlags.h"

#include <QCloseEvent>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace vp {

namespace {

QColor toQColor(const RGBA& c) {
    QColor q;
    q.setRgbF(float(std::clamp(c.r, 0.0, 1.0)), float(std::clamp(c.g, 0.0, 1.0)), float(std::clamp(c.b, 0.0, 1.0)),
              float(std::clamp(c.a, 0.0, 1.0)));
    return q;
}

}  // namespace

void WindowContent::setLevel(double, const std::string&) {}

void WindowContent::setFrame(CapturedFrameRef) {}

PlatformWidget::PlatformWidget(WindowRole role, Qt::WindowFlags flags, const WindowContentFactory& contents)
    : QWidget(nullptr, flags), role_(role) {
    // Black until the first frame is drawn.
    if (role == WindowRole::pip) fill_ = Qt::black;
    if (contents) content_ = contents(role, this);
    fitContent();
}

void PlatformWidget::setFill(const QColor& color) {
    if (color == fill_) return;
    fill_ = color;
    update();
}

void PlatformWidget::fitContent() {
    if (content_) content_->setGeometry(rect());
}

void PlatformWidget::setOpacity(double opacity) {
    if (opacity == opacity_) return;
    opacity_ = opacity;
    if (content_) {
        // Opaque content needs no effect and so no offscreen pass.
        if (opacity >= 1) {
            content_->setGraphicsEffect(nullptr);
        } else {
            auto* effect = qobject_cast<QGraphicsOpacityEffect*>(content_->graphicsEffect());
            if (!effect) {
                effect = new QGraphicsOpacityEffect(content_);
                content_->setGraphicsEffect(effect);
            }
            effect->setOpacity(opacity);
        }
    }
    update();
}

void PlatformWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setOpacity(opacity_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), fill_);
}

void PlatformWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitContent();
    if (aspect_ <= 0) return;
    // Qt cannot ask the window manager to keep an aspect while the user
    // drags; correct the height once the drag step has landed.
    int wanted = int(std::lround(width() * aspect_));
    if (std::abs(wanted - height()) > 1)
        QTimer::singleShot(0, this, [this] { resize(width(), int(std::lround(width() * aspect_))); });
}

void PlatformWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closingByProgram) return;
    // The handler may destroy the window that owns this widget; it is
    // deleted later, so calling a copy of the handler is safe.
    if (auto handler = onUserClose) handler();
}

QtWindow::QtWindow(const WindowConfig& config, QtPlacement& placement, const WindowContentFactory& contents)
    : placement_(placement), role_(config.role), screen_(config.screen) {
    QtWindowTraits traits = qtWindowTraits(config);
    widget_ = new PlatformWidget(config.role, traits.flags, contents);
    widget_->setAttribute(Qt::WA_TranslucentBackground, traits.translucent);
    widget_->setAttribute(Qt::WA_ShowWithoutActivating, traits.showWithoutActivating);
    widget_->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!config.title.empty()) widget_->setWindowTitle(QString::fromStdString(config.title));
    setFrame(config.contentRect);
    if (!traits.resizable) widget_->setFixedSize(widget_->size());
}

QtWindow::~QtWindow() {
    if (fade_) {
        // Its callbacks reach this object: cut them before it goes.
        QObject::disconnect(fade_, nullptr, nullptr, nullptr);
        fade_->stop();
    }
    if (!widget_) return;
    widget_->onUserClose = nullptr;
    widget_->closingByProgram = true;
    widget_->hide();
    widget_->deleteLater();
}

Rect QtWindow::frame() const {
    return widget_ ? placement_.fromQt(widget_->geometry(), display_) : Rect{};
}

std::optional<DisplayID> QtWindow::displayFor(Rect& frame) const {
    if (screen_) return screen_;
    if (role_ == WindowRole::hud) {
        if (auto pointer = placement_.displayUnderPointer()) {
            frame = placement_.fromMainTo(frame, *pointer);
            return pointer;
        }
    }
    return placement_.displayAt(frame);
}

void QtWindow::setFrame(const Rect& wanted) {
    if (!widget_) return;
    Rect frame = wanted;
    display_ = displayFor(frame);
    if (QScreen* screen = display_ ? placement_.screenOf(*display_) : nullptr; screen && screen != widget_->screen())
        widget_->setScreen(screen);
    QRect r = placement_.toQt(frame, display_);
    if (widget_->minimumSize() == widget_->maximumSize()) widget_->setFixedSize(r.size());
    widget_->setGeometry(r);
    widget_->fitContent();
}

void QtWindow::setFrameOrigin(const Point& origin) {
    Rect f = frame();
    f.x = origin.x;
    f.y = origin.y;
    setFrame(f);
}

void QtWindow::setBackgroundColor(const RGBA& color) {
    if (widget_) widget_->setFill(toQColor(color));
}

void QtWindow::setAlpha(double alpha) {
    alpha_ = std::clamp(alpha, 0.0, 1.0);
    // Drawn into the window's own translucent pixels: Qt passes a window
    // opacity neither to an X server nor to a Wayland compositor. It shows
    // where a compositor blends windows; without one the window stays
    // fully drawn, and the alpha is still kept for the core.
    if (widget_) widget_->setOpacity(alpha_);
}

bool QtWindow::isVisible() const {
    return widget_ && widget_->isVisible();
}

void QtWindow::orderFrontRegardless() {
    if (closed_ || !widget_) return;
    if (fade_) fade_->stop();
    widget_->show();
    widget_->raise();
}

void QtWindow::orderOut() {
    if (widget_) widget_->hide();
}

void QtWindow::close() {
    closed_ = true;
    if (fade_) fade_->stop();
    if (!widget_) return;
    widget_->closingByProgram = true;
    widget_->close();
}

void QtWindow::setContentAspectRatio(const Size& ratio) {
    if (widget_ && ratio.width > 0) widget_->setAspect(ratio.height / ratio.width);
}

void QtWindow::setContentSize(const Size& size) {
    if (!widget_) return;
    widget_->resize(int(std::lround(size.width)), int(std::lround(size.height)));
    widget_->fitContent();
}

void QtWindow::setLevelContent(double value, const std::string& icon) {
    if (widget_ && widget_->content()) widget_->content()->setLevel(value, icon);
}

void QtWindow::setFrameContent(CapturedFrameRef frame) {
    if (widget_ && widget_->content()) widget_->content()->setFrame(std::move(frame));
}

void QtWindow::fadeOut(double seconds, std::function<void()> done) {
    if (!widget_) return;
    if (fade_) fade_->stop();
    auto* animation = new QVariantAnimation(widget_);
    fade_ = animation;
    animation->setDuration(int(std::lround(std::max(seconds, 0.0) * 1000)));
    animation->setStartValue(alpha_);
    animation->setEndValue(0.0);
    QObject::connect(animation, &QVariantAnimation::valueChanged, widget_,
                     [this](const QVariant& v) { setAlpha(v.toDouble()); });
    QObject::connect(animation, &QVariantAnimation::finished, widget_, [this, done = std::move(done)] {
        setAlpha(0);
        if (done) done();
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void QtWindow::setOnUserClose(std::function<void()> handler) {
    if (widget_) widget_->onUserClose = std::move(handler);
}

FactorOnlyWindow::FactorOnlyWindow(const WindowConfig& config, MainQueue& main)
    : main_(main), frame_(config.contentRect) {}

void FactorOnlyWindow::setFrameOrigin(const Point& origin) {
    frame_.x = origin.x;
    frame_.y = origin.y;
}

void FactorOnlyWindow::setContentSize(const Size& size) {
    frame_.width = size.width;
    frame_.height = size.height;
}

void FactorOnlyWindow::fadeOut(double seconds, std::function<void()> done) {
    main_.postAfter(Seconds(seconds), [this, life = WeakLife(life_), done = std::move(done)] {
        if (life.expired()) return;
        alpha_ = 0;
        if (done) done();
    });
}

}  // namespace vp
