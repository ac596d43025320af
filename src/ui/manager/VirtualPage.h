#pragma once
// The virtual-screen page: what virtual screens are for, the creation form
// and one row per created screen.

#include "app/presentation/VirtualForm.h"
#include "util/Signal.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QVBoxLayout;

namespace vp {
class AppContext;
}

namespace vp::ui {

class PillButton;
class SegmentedPicker;
class Toggle;

class VirtualPage : public QWidget {
public:
    explicit VirtualPage(AppContext& context, QWidget* parent = nullptr);

    const VirtualForm& form() const { return form_; }

private:
    QWidget* creationCard();
    QWidget* row(const VirtualSpec& spec);
    void syncFields();
    void syncRows();

    AppContext& context_;
    VirtualForm form_;
    QLineEdit* name_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QComboBox* preset_ = nullptr;
    PillButton* create_ = nullptr;
    QWidget* created_ = nullptr;
    QVBoxLayout* createdRows_ = nullptr;
    std::vector<VirtualSpec> shownSpecs_;
    Signal::Connection changed_;
};

}  // namespace vp::ui
