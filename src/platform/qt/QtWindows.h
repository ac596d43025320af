#pragma once
// The window kinds the core makes, on Qt.

#include "platform/Runtime.h"
#include "platform/WindowSystem.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

class QScreen;
class QVariantAnimation;

namespace vp {

// What a window shows over its background, drawn by the interface: the
// window system owns the windows and the interface their content. A content
// takes what its window is given and ignores the rest.
class WindowContent : public QWidget {
public:
    using QWidget::QWidget;
    // A level and its symbol (the HUD).
    virtual void setLevel(double value, const std::string& icon);
    // The latest captured frame (picture in picture).
    virtual void setFrame(CapturedFrameRef frame);
};

// Makes the content of a new window of `role` as a child of `window`; null
// for a window that shows only its background.
using WindowContentFactory = std::function<WindowContent*(WindowRole role, QWidget* window)>;

// The top-level widget of a shade, HUD or PiP window: it paints the
// window's background colour and keeps its content over all of it.
class PlatformWidget : public QWidget {
public:
    PlatformWidget(WindowRole role, Qt::WindowFlags flags, const WindowContentFactory& contents);

    WindowRole role() const { return role_; }
    void setFill(const QColor& color);
    // The whole window drawn at this opacity: its background and content.
    void setOpacity(double opacity);
    WindowContent* content() const { return content_; }
    // Gives the content the widget's whole area (also while hidden, when
    // Qt holds resize events back until the widget is shown).
    void fitContent();
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
    double opacity_ = 1;
    WindowContent* content_ = nullptr;
    double aspect_ = 0;
};

// Where the core's windows go on Qt's desktop.
class QtPlacement {
public:
    virtual ~QtPlacement() = default;
    // A frame in global points as a Qt rectangle on the screen of `display`
    // (none: by geometry alone); and back.
    virtual QRect toQt(const Rect& frame, std::optional<DisplayID> display) = 0;
    virtual Rect fromQt(const QRect& rect, std::optional<DisplayID> display) = 0;
    // The Qt screen that shows the display; null when none does.
    virtual QScreen* screenOf(DisplayID display) = 0;
    // The display whose screen holds the frame's centre.
    virtual std::optional<DisplayID> displayAt(const Rect& frame) = 0;
    // The display whose screen the pointer is on; none when unknown.
    virtual std::optional<DisplayID> displayUnderPointer() = 0;
    // The frame moved from the main screen to the display's screen, as far
    // from the bottom and the middle as it was there.
    virtual Rect fromMainTo(const Rect& frame, DisplayID display) = 0;
};

// A shade, HUD or PiP window. A window made for a screen stays on it; the
// others belong to the screen their frame is on, except the HUD, which the
// core places on the main screen and which shows where the pointer is.
class QtWindow : public Window {
public:
    QtWindow(const WindowConfig& config, QtPlacement& placement, const WindowContentFactory& contents);
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
    // The display the frame is placed for, and the frame in Qt's terms.
    std::optional<DisplayID> displayFor(Rect& frame) const;

    QPointer<PlatformWidget> widget_;
    QtPlacement& placement_;
    WindowRole role_;
    std::optional<DisplayID> screen_;  // as made
    std::optional<DisplayID> display_;  // of the current frame
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
