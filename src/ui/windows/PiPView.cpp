#include "ui/windows/PiPView.h"

#include <QPainter>

#include <algorithm>

namespace vp::ui {

PiPView::PiPView(QWidget* parent) : WindowContent(parent) {}

void PiPView::setFrame(CapturedFrameRef frame) {
    frame_ = std::move(frame);
    image_ = QImage();
    if (frame_ && frame_->width > 0 && frame_->height > 0 &&
        frame_->bgra.size() >= std::size_t(frame_->width) * std::size_t(frame_->height) * 4) {
        // BGRA bytes read as 32-bit words on a little-endian machine are
        // Qt's 0xAARRGGBB; the image wraps the buffer without copying it.
        image_ = QImage(frame_->bgra.data(), frame_->width, frame_->height, frame_->width * 4, QImage::Format_RGB32);
    }
    update();
}

QRectF PiPView::frameTarget() const {
    if (image_.isNull() || width() <= 0 || height() <= 0) return {};
    double scale = std::min(double(width()) / image_.width(), double(height()) / image_.height());
    double w = image_.width() * scale, h = image_.height() * scale;
    return QRectF((width() - w) / 2, (height() - h) / 2, w, h);
}

void PiPView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (image_.isNull()) return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(frameTarget(), image_);
}

}  // namespace vp::ui
