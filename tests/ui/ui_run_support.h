// Shared pieces of the tests that run simulations from START: a scratch current directory per
// test, the run's file names, and a hook that acts whenever the run lets the window work.
#pragma once

#include "simulation/text_files.h"
#include "ui/Program.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

namespace kvarlen::test {

// A fresh program whose current directory (with its "out") and history table are its own.
class TRunFixture {
  public:
    TRunFixture() {
        QDir::setCurrent(dir.path());
        program = std::make_unique<TProgram>();
        program->Form1.HistoryTablePath = dir.filePath("DBF/1box.DBF");
    }
    ~TRunFixture() {
        program.reset();
        QDir::setCurrent(QDir::tempPath());
    }

    QTemporaryDir dir;
    std::unique_ptr<TProgram> program;
};

inline QString Date() {
    return QString::fromStdString(DateStamp());
}
inline QString ReportPath() {
    return "out/out" + Date() + ".txt";
}
inline QString BankPath() {
    return "out/out_bank_" + Date() + ".txt";
}

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Calls `step` at every pass of the message loop the run makes (progress, the trace window's
// wait) while `form` is simulating, then presses START.
inline void RunWith(TForm1& form, const std::function<void()>& step) {
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (form.Simulating()) step();
    });
    timer.start();
    form.Button4Click();
}

} // namespace kvarlen::test
