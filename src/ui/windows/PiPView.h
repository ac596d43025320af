#pragma once
// The picture-in-picture panel's content: the latest captured frame,
// letterboxed on black.

#include "platform/qt/QtWindows.h"

#include <QImage>

namespace vp::ui {

class PiPView : public WindowContent {
public:
    explicit PiPView(QWidget* parent = nullptr);

    // The pixels are drawn straight from the frame's buffer, which this view
    // keeps alive until the next frame.
    void setFrame(CapturedFrameRef frame) override;
    const QImage& frameImage() const { return image_; }
    // Where the frame is drawn: fitted into the view keeping its aspect.
    QRectF frameTarget() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CapturedFrameRef frame_;
    QImage image_;
};

}  // namespace vp::ui
