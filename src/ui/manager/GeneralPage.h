#pragma once
// The General page: the behaviour switches, the accessibility warning with
// its permission poll, and the safety and permissions cards.

#include "app/presentation/GeneralSettings.h"

#include <QWidget>

class QTimer;

namespace vp {
class AppContext;
}

namespace vp::ui {

class GeneralPage : public QWidget {
public:
    static constexpr const char* accessibilityPane =
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
    static constexpr const char* screenRecordingPane =
        "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture";

    explicit GeneralPage(AppContext& context, QWidget* parent = nullptr);

    bool isPolling() const;
    QWidget* accessibilityWarning() const { return warning_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* behaviourCard();
    QWidget* warningRow();
    void syncWarning();

    AppContext& context_;
    GeneralSettings settings_;
    QWidget* warning_ = nullptr;
    QTimer* poll_ = nullptr;
};

}  // namespace vp::ui
