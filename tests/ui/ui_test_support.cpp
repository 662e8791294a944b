#include "ui_test_support.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <clocale>

namespace kvarlen::test {

TRecordedMessages& Messages() {
    static TRecordedMessages recorded;
    return recorded;
}

void PrepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

void PrepareApplication() {
    std::setlocale(LC_NUMERIC, "C");
    // The examples use the decimal comma.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // The window creates "out" in the current directory: keep it out of the build tree.
    static QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    SetMessageBoxes(&Messages());
    RouteEngineMessages();
}

} // namespace kvarlen::test
