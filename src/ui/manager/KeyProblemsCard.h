#pragma once
// The keys another program holds, on the page of the key settings: each with
// the platform's reason and what the user can do about it. Hidden while
// every key comes to us; read again each time the page shows, since the
// keys are taken when the watch starts.

#include "platform/Input.h"

#include <QWidget>

class QVBoxLayout;

namespace vp::ui {

class KeyProblemsCard : public QWidget {
public:
    explicit KeyProblemsCard(InputServices& input, QWidget* parent = nullptr);

    void refresh();

private:
    InputServices& input_;
    QVBoxLayout* rows_ = nullptr;
};

}  // namespace vp::ui
