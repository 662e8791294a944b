// "справка" and "о программе", F1, and the standard buttons in Russian after the start-up.
#include "ui/Program.h"
#include "ui/help/HelpWindow.h"
#include "ui_test_support.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolButton>

#include <memory>

using namespace kvarlen;

class THelpWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TProgram> program;
    TForm1& form() { return program->Form1; }
    THelpWindow* help() { return form().findChild<THelpWindow*>(); }

  private slots:
    void init() { program = std::make_unique<TProgram>(); }
    void cleanup() { program.reset(); }

    void standardButtonsSpeakRussianAfterStartUp() {
        SetUpApplication();
        SetUpApplication(); // a second call changes nothing
        QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("Отмена"));
        QCOMPARE(buttons.button(QDialogButtonBox::Save)->text(), QString("Сохранить"));
    }

    void f1OpensTheHelpOnItsPage() {
        QVERIFY(help() != nullptr);
        QVERIFY(!help()->isVisible());
        form().show();
        form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        QTest::keyClick(form().Memo3, Qt::Key_F1);
        QVERIFY(help()->isVisible());
        QCOMPARE(help()->HelpPages->currentWidget(), help()->HelpBrowser);
        const QString text = help()->HelpBrowser->toPlainText();
        for (const char* page :
             {"расклады", "симуляция", "математика", "точный расчёт", "тренажёр", "настройки"})
            QVERIFY2(text.contains(page), page);
        for (const char* key : {"A 2…9 0 J Q K", "S C D H", "Esc", "Enter", "F1"})
            QVERIFY2(text.contains(key), key);
    }

    void theCornerButtonsOpenEitherPage() {
        auto* about = form().findChild<QToolButton*>("ButtonAbout");
        auto* helpButton = form().findChild<QToolButton*>("ButtonHelp");
        QVERIFY(about && helpButton);
        QCOMPARE(form().PageControl1->cornerWidget(Qt::TopRightCorner), about->parentWidget());
        about->click();
        QVERIFY(help()->isVisible());
        QCOMPARE(help()->HelpPages->currentWidget(), help()->AboutBrowser);
        helpButton->click();
        QCOMPARE(help()->HelpPages->currentWidget(), help()->HelpBrowser);
    }

    void aboutNamesTheVersionAndEveryLibraryWithItsLicence() {
        const QString about = QTextDocumentFragment::fromHtml(AboutText()).toPlainText();
        QVERIFY(about.contains("Версия " KVARLEN_VERSION));
        QVERIFY(about.contains(QString("Qt ") + qVersion()));
        const QStringList libraries = {"Qt 6",     "Qt Charts",  "Qt SVG",          "переводы Qt",
                                       "shapelib", "SQLite",     "toml++",          "nlohmann-json",
                                       "CLI11",    "GoogleTest", "Google Benchmark"};
        for (const QString& name : libraries) QVERIFY2(about.contains(name), qPrintable(name));
        for (const char* licence :
             {"LGPL-3 or GPL-2", "GPL-3+", "Expat or LGPL-2+", "public-domain", "BSD-3-clause",
              "Apache-2.0", "GPL-3 with Qt-1.0 exception"})
            QVERIFY2(about.contains(licence), licence);
    }

    // The paths follow the XDG variables at the time the help is opened.
    void theHelpNamesWhereTheFilesGo() {
        QTemporaryDir data, config;
        const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const THelpPaths paths = CurrentHelpPaths(form());
        QCOMPARE(paths.TrainingHistory, data.path() + "/kvarlen/training.sqlite");
        QCOMPARE(paths.RuleSets, config.path() + "/kvarlen/rules");
        QCOMPARE(paths.HistoryTable, form().HistoryTablePath);
        QVERIFY(paths.HistoryTable.endsWith("/DBF/1box.DBF"));
        QCOMPARE(paths.ReportFolder, QDir::current().absoluteFilePath("out"));
        help()->ShowHelp();
        const QString text = help()->HelpBrowser->toPlainText();
        for (const QString& path : {paths.TrainingHistory, paths.RuleSets, paths.HistoryTable,
                                    paths.ReportFolder, paths.TracePicture})
            QVERIFY2(text.contains(path), qPrintable(path));
        for (const char* name :
             {"out_bank_", "журнал раздач", "$XDG_DATA_HOME/kvarlen/training.sqlite",
              "$XDG_CONFIG_HOME/kvarlen/rules/*.toml"})
            QVERIFY2(text.contains(name), name);
        qputenv("XDG_DATA_HOME", oldData);
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }
};

KVARLEN_UI_TEST_MAIN(THelpWindowTest)
#include "help_window_test.moc"
