#include "UiTestMain.h"

#include <QApplication>
#include <QTest>

#include <iostream>

namespace vp::ui::test {

std::map<std::string, Factory>& registry() {
    static std::map<std::string, Factory> tests;
    return tests;
}

}  // namespace vp::ui::test

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    auto& tests = vp::ui::test::registry();
    std::string only = argc > 1 && argv[1][0] != '-' ? argv[1] : "";
    int failed = 0;
    bool ran = false;
    for (auto& [name, make] : tests) {
        if (!only.empty() && name != only) continue;
        ran = true;
        auto object = make();
        // Qt Test reads the arguments after the class name.
        std::vector<char*> args{argv[0]};
        for (int i = only.empty() ? 1 : 2; i < argc; ++i) args.push_back(argv[i]);
        failed += QTest::qExec(object.get(), int(args.size()), args.data());
    }
    if (!ran) {
        std::cerr << "no test class named " << only << "\n";
        return 2;
    }
    return failed == 0 ? 0 : 1;
}
