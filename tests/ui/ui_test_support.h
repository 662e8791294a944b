// Shared set-up of the window tests: offscreen platform, a comma locale, a scratch current
// directory, and messages recorded instead of shown.
#pragma once

#include "ui/common/Messages.h"

#include <QApplication>
#include <QStringList>
#include <QTest>

#include <functional>

namespace kvarlen::test {

class TRecordedMessages : public TMessageBoxes {
  public:
    void Show(QWidget*, const QString& text) override {
        Texts << text;
        if (OnShow) OnShow();
    }
    QStringList Texts;
    // Called while the message "is open" (what the windows show behind it).
    std::function<void()> OnShow;
};

// Every message shown since the test started.
TRecordedMessages& Messages();

void PrepareEnvironment();
void PrepareApplication();

} // namespace kvarlen::test

#define KVARLEN_UI_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        kvarlen::test::PrepareEnvironment();                                                       \
        QApplication app(argc, argv);                                                              \
        kvarlen::test::PrepareApplication();                                                       \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
