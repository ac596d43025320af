#pragma once
// The window kinds the core makes, on Qt.

#include "platform/Runtime.h"
#include "platform/WindowSystem.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>

class QVariantAnimation;

namespace vp {

namespace ui {
class HUDView;
}

// The top-level widget of a shade, HUD or PiP window: it paints the shade's
// colour, hosts the HUD view, or shows the latest captured frame letterboxed
// on black.
class PlatformWidget : public QWidget {
public:
    PlatformWidget(WindowRole role, Qt::WindowFlags flags);

    WindowRole role() const { return role_; }
    void setFill(const QColor& color);
    ui::HUDView* hudView() const { return hud_; }
    // Shows a frame; the pixels are drawn straight from the frame's buffer,
    // which this widget keeps alive until the next frame.
    void setFrameContent(CapturedFrameRef frame);
    const QImage& frameImage() const { return image_; }
    // Where the frame is drawn: fitted into the widget keeping its aspect.
    QRectF frameTarget() const;
    // Height ÷ width kept while the user resizes; 0: none.
    void setAspect(double aspect) { aspect_ = aspect; }
    std::function<void()> onUserClose;
    bool closingByProgram = false;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    WindowRole role_;
    QColor fill_ = Qt::transparent;
    ui::HUDView* hud_ = nullptr;
    CapturedFrameRef frame_;
    QImage image_;
    double aspect_ = 0;
};

// A shade, HUD or PiP window.
class QtWindow : public Window {
public:
    QtWindow(const WindowConfig& config, std::function<double()> mainHeight);
    ~QtWindow() override;

    Rect frame() const override;
    void setFrame(const Rect& frame) override;
    void setFrameOrigin(const Point& origin) override;
    void setBackgroundColor(const RGBA& color) override;
    double alpha() const override { return alpha_; }
    void setAlpha(double alpha) override;
    bool isVisible() const override;
    void orderFrontRegardless() override;
    void orderOut() override;
    void close() override;
    void setContentAspectRatio(const Size& ratio) override;
    void setContentSize(const Size& size) override;
    void setMultiplyFactor(double) override {}
    void setLevelContent(double value, const std::string& icon) override;
    void setFrameContent(CapturedFrameRef frame) override;
    void fadeOut(double seconds, std::function<void()> done) override;
    void setOnUserClose(std::function<void()> handler) override;

    PlatformWidget* widget() const { return widget_; }

private:
    QPointer<PlatformWidget> widget_;
    std::function<double()> mainHeight_;
    double alpha_ = 1.0;
    bool closed_ = false;
    QPointer<QVariantAnimation> fade_;
};

// The extra-brightness overlay. This build has no extended-range compositor
// that could multiply the picture below a window, so the overlay keeps the
// factor it would show and shows nothing.
class FactorOnlyWindow : public Window {
public:
    FactorOnlyWindow(const WindowConfig& config, MainQueue& main);
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override { frame_ = frame; }
    void setFrameOrigin(const Point& origin) override;
    void setBackgroundColor(const RGBA&) override {}
    double alpha() const override { return alpha_; }
    void setAlpha(double alpha) override { alpha_ = alpha; }
    bool isVisible() const override { return visible_; }
    void orderFrontRegardless() override { visible_ = !closed_; }
    void orderOut() override { visible_ = false; }
    void close() override { visible_ = false, closed_ = true; }
    void setContentAspectRatio(const Size&) override {}
    void setContentSize(const Size& size) override;
    void setMultiplyFactor(double factor) override { factor_ = factor; }
    double multiplyFactor() const { return factor_; }
    void setLevelContent(double, const std::string&) override {}
    void setFrameContent(CapturedFrameRef) override {}
    void fadeOut(double seconds, std::function<void()> done) override;
    void setOnUserClose(std::function<void()>) override {}

private:
    MainQueue& main_;
    Rect frame_;
    double alpha_ = 1.0;
    double factor_ = 1.0;
    bool visible_ = false;
    bool closed_ = false;
    LifeToken life_ = std::make_shared<int>(0);
};

}  // namespace vp
