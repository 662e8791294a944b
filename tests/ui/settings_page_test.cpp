// The page "настройки" with rule sets in a folder of their own (XDG_CONFIG_HOME points at a
// scratch folder): create, edit, save, reload, copy, delete, and files it cannot read.
#include "ui/Program.h"
#include "ui/settings/SettingsPage.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

using namespace kvarlen;

class TSettingsPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> config;
    std::unique_ptr<TProgram> program;
    QString folder;
    int questions = 0;
    bool answer = true;

    TForm1& form() { return program->Form1; }
    TSettingsPage& page() { return *program->Form1.SettingsPage(); }

    // The program as started anew: the page lists the folder again.
    void Start() {
        program = std::make_unique<TProgram>();
        page().Confirm = [this](QWidget*, const QString&) {
            ++questions;
            return answer;
        };
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void Write(const QString& path, const QByteArray& text) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QString PathOf(const QString& name) const { return QDir(folder).filePath(name + ".toml"); }
    void Create(const QString& name) {
        page().RuleSetNameEdit->setText(name);
        page().NewClick();
    }
    QStringList Lines() const {
        QStringList lines;
        for (int r = 0; r < program->Form1.SettingsPage()->RuleSetList->count(); ++r)
            lines << program->Form1.SettingsPage()->RuleSetList->item(r)->text();
        return lines;
    }

  private slots:
    void init() {
        test::Messages().Texts.clear();
        config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", config->path().toUtf8());
        folder = QDir(config->path()).filePath("kvarlen/rules");
        questions = 0;
        answer = true;
        Start();
    }
    void cleanup() {
        program.reset();
        PayTable = kDefaultPayTable;
    }

    void theDefaultIsInForceAndCannotBeChanged() {
        // The folder the command line reads, found the desktop's way too.
        QCOMPARE(page().Folder(), folder);
        QCOMPARE(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                     .filePath("kvarlen/rules"),
                 folder);
        QCOMPARE(page().RuleSetList->count(), 1);
        QVERIFY(page().RuleSetList->item(0)->text().startsWith("default"));
        QCOMPARE(page().RuleSetList->currentRow(), 0);
        QCOMPARE(form().RuleSetName(), QString("default"));
        QVERIFY(!form().ePay_royal->isEnabled());
        QVERIFY(!page().RuleSetSave->isEnabled());
        QVERIFY(!page().RuleSetDelete->isEnabled());
        // A switch of "5+1" changed for the session marks the set; changed back, it is clean.
        form().CheckBox5->setChecked(false);
        QCOMPARE(form().RuleSetName(), QString("default*"));
        QVERIFY(page().RuleSetList->item(0)->text().endsWith("*"));
        form().CheckBox5->setChecked(true);
        QCOMPARE(form().RuleSetName(), QString("default"));
        // Saving over the program's rules is refused; nothing is written.
        form().CheckBox9->setChecked(false);
        page().SaveClick();
        QCOMPARE(test::Messages().Texts.size(), 1);
        QVERIFY(test::Messages().Texts[0].contains("«копировать»"));
        QVERIFY(!QDir(folder).exists());
    }

    void createEditSaveAndReload() {
        Create("мой стол");
        QVERIFY2(test::Messages().Texts.isEmpty(), qPrintable(test::Messages().Texts.join("\n")));
        QVERIFY(QFile::exists(PathOf("мой стол")));
        QCOMPARE(form().RuleSetName(), QString("мой стол"));
        QVERIFY(form().ePay_royal->isEnabled() && form().ePrice_buy6->isEnabled());
        QVERIFY(page().RuleSetNameEdit->text().isEmpty());
        QVERIFY(!page().RuleSetSave->isEnabled()); // nothing to save yet

        form().ePay_royal->setText("200");
        form().ePrice_buy6->setText("0,5");
        form().CheckBox9->setChecked(false);
        form().ComboBox2->setCurrentIndex(1);
        QCOMPARE(form().RuleSetName(), QString("мой стол*"));
        QVERIFY(page().RuleSetSave->isEnabled());
        page().SaveClick();
        QVERIFY(test::Messages().Texts.isEmpty());
        QCOMPARE(form().RuleSetName(), QString("мой стол"));
        const QByteArray saved = Read(PathOf("мой стол"));
        QVERIFY(saved.contains("royal = 200\n"));
        QVERIFY(saved.contains("ak_plays = false\n"));
        QVERIFY(saved.contains("dealer_game = \"high\""));
        QVERIFY(saved.contains("buy6 = 0.5\n"));

        // Started again: the default is in force, the set is listed and fills everything.
        Start();
        QCOMPARE(form().RuleSetName(), QString("default"));
        QCOMPARE(form().ePay_royal->displayText(), QString("100"));
        QCOMPARE(Lines().size(), 2);
        QVERIFY(page().Choose("мой стол"));
        QCOMPARE(form().RuleSetName(), QString("мой стол"));
        QCOMPARE(form().ePay_royal->displayText(), QString("200"));
        QCOMPARE(form().ePay_4->displayText(), QString("20 "));
        QCOMPARE(form().ePrice_buy6->text(), QString("0,5"));
        QVERIFY(!form().CheckBox9->isChecked() && !form().AK_exist->isChecked());
        QVERIFY(form().ComboBox3->isEnabled());
        TRules rules;
        FillRules(form().ReadRulesControls(), rules);
        QCOMPARE(PayTable[10], 200);
        QCOMPARE(rules.PriceBuy6, 0.5);
        QCOMPARE(int(rules.DealerGameBuy), 1);
        QVERIFY(!rules.AKPlays);
        // Back to the default: its values and its disabled fields.
        QVERIFY(page().Choose("default"));
        QCOMPARE(form().ePay_royal->displayText(), QString("100"));
        QCOMPARE(form().ePrice_buy6->text(), QString("1,0"));
        QVERIFY(form().CheckBox9->isChecked() && !form().ePay_royal->isEnabled());
        QCOMPARE(questions, 0);
    }

    void aSetFillsTheCoupledSwitches() {
        QDir().mkpath(folder);
        Write(PathOf("обмен"), "[switches]\nbuy6 = false\nexchange1 = true\n"
                               "dealer_game = \"low\"\nante_paid = true\ninsurance = false\n");
        page().Reload("обмен");
        QCOMPARE(form().RuleSetName(), QString("обмен"));
        QVERIFY(form().CheckBox12->isChecked() && !form().CheckBox8->isChecked());
        QVERIFY(!form().CheckBox5->isChecked());
        QCOMPARE(form().ComboBox2->currentIndex(), 2);
        QVERIFY(form().ComboBox3->isEnabled());
        QCOMPARE(form().ComboBox3->currentIndex(), 1);
        TRules rules;
        FillRules(form().ReadRulesControls(), rules);
        QVERIFY(rules.Exchange1 && !rules.Buy6 && rules.AntePaid == 1);
    }

    void copyTakesTheUnsavedChangesAndLeavesTheSourceAlone() {
        Create("исходный");
        const QByteArray source = Read(PathOf("исходный"));
        form().ePay_royal->setText("300");
        form().CheckBox5->setChecked(false);
        page().RuleSetNameEdit->setText("  копия  ");
        page().CopyClick();
        QCOMPARE(form().RuleSetName(), QString("копия"));
        QCOMPARE(form().ePay_royal->displayText(), QString("300"));
        QVERIFY(!form().CheckBox5->isChecked());
        QVERIFY(Read(PathOf("копия")).contains("royal = 300\n"));
        QVERIFY(Read(PathOf("копия")).contains("insurance = false\n"));
        QCOMPARE(Read(PathOf("исходный")), source);
        // The program's rules, copied as shown.
        QVERIFY(page().Choose("default"));
        page().RuleSetNameEdit->setText("как в программе");
        page().CopyClick();
        QCOMPARE(form().RuleSetName(), QString("как в программе"));
        QVERIFY(Read(PathOf("как в программе")).contains("royal = 100\n"));
        // A name that is taken or cannot be one: refused, nothing written.
        for (const QString& bad : QStringList{"копия", "", "a/b", "default", "x.toml"}) {
            test::Messages().Texts.clear();
            page().RuleSetNameEdit->setText(bad);
            page().CopyClick();
            QCOMPARE(test::Messages().Texts.size(), 1);
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);
    }

    void leavingUnsavedChangesAsks() {
        Create("a");
        Create("b");
        form().ePay_royal->setText("150");
        answer = false;
        QVERIFY(!page().Choose("a"));
        QCOMPARE(questions, 1);
        QCOMPARE(form().RuleSetName(), QString("b*"));
        QCOMPARE(form().ePay_royal->displayText(), QString("150"));
        answer = true;
        QVERIFY(page().Choose("a"));
        QCOMPARE(form().RuleSetName(), QString("a"));
        QCOMPARE(form().ePay_royal->displayText(), QString("100"));
        QVERIFY(!Read(PathOf("b")).contains("150"));
    }

    void deleteAsksThenRemovesTheFile() {
        Create("лишний");
        answer = false;
        page().DeleteClick();
        QVERIFY(QFile::exists(PathOf("лишний")));
        QCOMPARE(form().RuleSetName(), QString("лишний"));
        answer = true;
        page().DeleteClick();
        QCOMPARE(questions, 2);
        QVERIFY(!QFile::exists(PathOf("лишний")));
        QCOMPARE(form().RuleSetName(), QString("default"));
        QCOMPARE(Lines().size(), 1);
        QVERIFY(!form().ePay_royal->isEnabled());
    }

    void aFileThatCannotBeReadIsListedAndLeftByteForByte() {
        QDir().mkpath(folder);
        const QByteArray damaged = "[payouts]\nroyal = 2000\n";
        Write(PathOf("сломан"), damaged);
        page().Reload("default");
        QCOMPARE(Lines().size(), 2);
        QListWidgetItem* item = page().RuleSetList->item(1);
        QVERIFY(item->text().contains("файл не прочитан"));
        QVERIFY2(item->toolTip().contains("строка 2, столбец 9: [payouts] royal"),
                 qPrintable(item->toolTip()));
        // It cannot be put in force, saved over, copied into or deleted.
        QVERIFY(!page().Choose("сломан"));
        QCOMPARE(form().RuleSetName(), QString("default"));
        emit page().RuleSetList->itemClicked(item);
        QVERIFY(page().RuleSetStatus->text().contains("от 0 до 999"));
        page().RuleSetNameEdit->setText("сломан");
        page().NewClick();
        page().RuleSetNameEdit->setText("сломан");
        page().CopyClick();
        QCOMPARE(test::Messages().Texts.size(), 2);
        QCOMPARE(Read(PathOf("сломан")), damaged);

        // A set that read well, damaged behind the program's back, is not saved over either.
        Create("хороший");
        const QByteArray broken = "[payouts\nroyal = 5\n";
        Write(PathOf("хороший"), broken);
        test::Messages().Texts.clear();
        form().ePay_royal->setText("300");
        page().SaveClick();
        QCOMPARE(test::Messages().Texts.size(), 1);
        QVERIFY2(test::Messages().Texts[0].contains("оставлен как есть"),
                 qPrintable(test::Messages().Texts[0]));
        QCOMPARE(Read(PathOf("хороший")), broken);
        QCOMPARE(form().RuleSetName(), QString("хороший*"));
        answer = true;
        page().DeleteClick();
        QCOMPARE(Read(PathOf("хороший")), broken);
    }

    void aFieldThatDoesNotReadIsNotSaved() {
        Create("поля");
        const QByteArray before = Read(PathOf("поля"));
        form().ePrice_buy6->setText("abc");
        QCOMPARE(form().RuleSetName(), QString("поля*"));
        page().SaveClick();
        QCOMPARE(test::Messages().Texts.size(), 1);
        QVERIFY(test::Messages().Texts[0].contains("'abc' is not a valid floating point value"));
        form().ePrice_buy6->setText("1001");
        page().SaveClick();
        QCOMPARE(test::Messages().Texts.size(), 2);
        QVERIFY(test::Messages().Texts[1].contains("от 0 до 1000"));
        QCOMPARE(Read(PathOf("поля")), before);
    }
};

KVARLEN_UI_TEST_MAIN(TSettingsPageTest)
#include "settings_page_test.moc"
