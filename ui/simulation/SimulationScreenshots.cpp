#include "ui/simulation/SimulationScreenshots.h"

#include "ui/Program.h"
#include "ui/common/ChartExport.h"
#include "ui/simulation/BankChart.h"

#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

namespace kvarlen {

bool SaveSimulationScreenshots(TProgram& program, const QString& folder) {
    const QDir dir(QDir(folder).absolutePath());
    TForm1& main = program.Form1;
    TForm3& trace = program.Form3;
    const QString home = QDir::currentPath();
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    QDir::current().mkdir("out");
    bool ok = true;

    main.PageControl1->setCurrentWidget(main.TabSheet2);
    main.RadioButton2->setChecked(true);
    main.TraceCB->setChecked(false);
    main.ComboBox1->setCurrentIndex(1);
    main.Memo3->clear();

    // Half way through a long run: the bar, the time left and START as the stop button.
    main.Edit4->setText("1000000");
    main.SeedEdit->setText("12345");
    main.ThreadsEdit->setValue(1);
    bool shot = false;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!main.Simulating() || shot || main.Button4->text() != "50 x 10000") return;
        shot = true;
        ok &= main.grab().save(dir.filePath("simulation-progress.png"));
    });
    timer.start();
    main.Button4Click();
    timer.stop();
    QApplication::processEvents();

    // The same on two threads: the report's first line names seed and threads.
    main.Memo3->clear();
    main.Edit4->setText("200000");
    main.ThreadsEdit->setValue(2);
    main.Button4Click();
    QApplication::processEvents();
    ok &= main.grab().save(dir.filePath("simulation-seeded.png"));

    // The chart as its buttons save it, the SVG drawn again to be looked at.
    if (TBankChart* chart = main.BankChart()) {
        // At its own size: the offscreen screen leaves only a strip beside the main window.
        chart->resize(720, 470);
        QApplication::processEvents();
        ok &= chart->grab().save(dir.filePath("bank-chart-window.png"));
        QString error;
        ok &= SavePicture(chart->ChartView, dir.filePath("bank-chart-saved.png"), &error);
        ok &= SavePicture(chart->ChartView, dir.filePath("bank-chart-saved.svg"), &error);
        QSvgRenderer svg(dir.filePath("bank-chart-saved.svg"));
        QImage drawn(svg.defaultSize(), QImage::Format_ARGB32);
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        svg.render(&painter);
        painter.end();
        ok &= svg.isValid() && drawn.save(dir.filePath("bank-chart-saved-svg.png"));
    }

    // The trace window stepping by itself: a deal with its number, results and banks.
    main.ThreadsEdit->setValue(1);
    main.Edit4->setText("12");
    main.ComboBox1->setCurrentIndex(2);
    main.TraceCB->setChecked(true);
    trace.AutoStep->setChecked(true);
    trace.AutoDelay->setValue(1);
    int waits = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!trace.Waiting()) return;
        if (++waits == 10) ok &= trace.grab().save(dir.filePath("trace-auto.png"));
    });
    timer.start();
    main.Button4Click();
    timer.stop();
    trace.AutoStep->setChecked(false);
    trace.AutoDelay->setValue(500);
    trace.hide();
    main.TraceCB->setChecked(false);
    main.SeedEdit->clear();
    QDir::setCurrent(home);
    return ok;
}

} // namespace kvarlen
