#pragma once
// Test classes register themselves here; the runner takes the class to run
// as its first argument (all classes without one).

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vp::ui::test {

using Factory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, Factory>& registry();

struct Registrar {
    Registrar(const char* name, Factory factory) { registry()[name] = std::move(factory); }
};

}  // namespace vp::ui::test

#define VP_UI_TEST(Class) \
    static const ::vp::ui::test::Registrar registrar##Class(#Class, [] { return std::make_unique<Class>(); });
