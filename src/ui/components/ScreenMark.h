#pragma once
// The logo mark: a monitor outline on a stand with a pulsing four-pointed
// sparkle. It animates at most 30 times per second, and only while it is
// visible in the active window, so a program whose windows are closed or in
// the background does no drawing work.

#include <QElapsedTimer>
#include <QWidget>

#include <optional>

class QTimer;

namespace vp::ui {

class ScreenMark : public QWidget {
public:
    static constexpr int frameIntervalMs = 34;  // just under 30 per second

    explicit ScreenMark(double size = 22, QWidget* parent = nullptr);

    // The pulse p = (sin(1.6·t) + 1) / 2 at time t in seconds.
    static double pulse(double seconds);
    bool isAnimating() const;
    // Holds the animation at one instant (for pictures of the mark).
    void freezeAt(double seconds);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    void updateAnimation();
    double seconds() const;
    double size_;
    QTimer* timer_;
    QElapsedTimer clock_;
    std::optional<double> frozen_;
};

}  // namespace vp::ui
