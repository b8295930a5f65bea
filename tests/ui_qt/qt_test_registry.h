// The Qt test classes of this program, each registered by its file, so that main() can run
// one class (CTest runs each as a test of its own) or all of them.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tapisto::test {

using QtTestFactory = std::function<std::unique_ptr<QObject>()>;

std::vector<std::pair<std::string, QtTestFactory>>& QtTestClasses();

struct RegisterQtTest {
  RegisterQtTest(std::string name, QtTestFactory factory) {
    QtTestClasses().emplace_back(std::move(name), std::move(factory));
  }
};

}  // namespace tapisto::test

#define TAPISTO_QT_TEST(Class)                                   \
  static const ::tapisto::test::RegisterQtTest kRegister##Class( \
      #Class, []() -> std::unique_ptr<QObject> { return std::make_unique<Class>(); })
