// Runs the Qt test classes: "ui_qt_tests Class [QTest options]" runs one class, no class name
// runs them all. The platform comes from QT_QPA_PLATFORM (offscreen under CTest).
#include <QApplication>
#include <QTest>
#include <cstring>
#include <iostream>

#include "qt_test_registry.h"

namespace tapisto::test {

std::vector<std::pair<std::string, QtTestFactory>>& QtTestClasses() {
  static std::vector<std::pair<std::string, QtTestFactory>> classes;
  return classes;
}

}  // namespace tapisto::test

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  auto& classes = tapisto::test::QtTestClasses();
  const bool oneClass = argc > 1 && argv[1][0] != '-';
  int failures = 0;
  bool ran = false;
  for (const auto& [name, make] : classes) {
    if (oneClass && name != argv[1]) continue;
    ran = true;
    std::unique_ptr<QObject> tests = make();
    // QTest reads the options after the class name as its own.
    std::vector<char*> args{argv[0]};
    for (int i = oneClass ? 2 : 1; i < argc; ++i) args.push_back(argv[i]);
    failures += QTest::qExec(tests.get(), static_cast<int>(args.size()), args.data());
  }
  if (!ran) {
    std::cerr << "no test class " << (oneClass ? argv[1] : "") << "\n";
    return 2;
  }
  return failures == 0 ? 0 : 1;
}
