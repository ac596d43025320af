#pragma once
// The heading of a manager page: a caption, then the title with its accent
// on a second line in the accent colour.

#include <QWidget>

namespace vp::ui {

class PageHeader : public QWidget {
public:
    PageHeader(const QString& eyebrow, const QString& title, const QString& accent, QWidget* parent = nullptr);
};

}  // namespace vp::ui
