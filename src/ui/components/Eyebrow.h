#pragma once
// A caption above a group: upper-case, small, spaced and muted.

#include <QLabel>

namespace vp::ui {

class Eyebrow : public QLabel {
public:
    explicit Eyebrow(const QString& text, QWidget* parent = nullptr);
};

}  // namespace vp::ui
