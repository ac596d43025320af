#pragma once
// The General page: the behaviour switches, the accessibility warning with
// its permission poll, and the safety and permissions cards. The buttons that
// open the system's settings show only where the system has those panes.

#include "app/presentation/GeneralSettings.h"
#include "platform/System.h"

#include <QWidget>

class QTimer;

namespace vp {
class AppContext;
}

namespace vp::ui {

struct PillButtonStyle;
class KeyProblemsCard;

class GeneralPage : public QWidget {
public:
    explicit GeneralPage(AppContext& context, QWidget* parent = nullptr);

    bool isPolling() const;
    QWidget* accessibilityWarning() const { return warning_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* behaviourCard();
    QWidget* warningRow();
    // A button opening the system's settings pane; none where the system lacks it.
    QWidget* paneButton(SettingsPane pane, const QString& label, const char* name, PillButtonStyle style);
    void syncWarning();

    AppContext& context_;
    GeneralSettings settings_;
    QWidget* warning_ = nullptr;
    KeyProblemsCard* keyProblems_ = nullptr;
    QTimer* poll_ = nullptr;
};

}  // namespace vp::ui
