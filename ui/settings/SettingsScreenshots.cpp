// Pictures of the page "настройки" for --screenshot, made in a scratch folder of sets so that the
// user's own files are never touched.
#include "ui/MainWindow.h"
#include "ui/settings/SettingsPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>

namespace kvarlen {

namespace {

bool WriteText(const QString& path, const QByteArray& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

} // namespace

bool SaveSettingsScreenshots(TForm1& form, const QString& folder) {
    const QDir dir(folder);
    TSettingsPage* page = form.SettingsPage();
    const QString oldFolder = page->Folder();
    const QString oldSet = QString::fromStdString(page->SetInForce().Name);
    const int start = form.PageControl1->currentIndex();
    QTemporaryDir scratch;
    const QString rules = QDir(scratch.path()).filePath("kvarlen/rules");
    bool ok = QDir().mkpath(rules);
    ok &= WriteText(QDir(rules).filePath("турнир.toml"),
                    "[payouts]\nstraight_flush = 100\nroyal = 250\n[prices]\nbuy6 = 0.5\n");
    // A file edited by hand with a payout beyond the field's three digits.
    ok &= WriteText(QDir(rules).filePath("сломанный.toml"), "[payouts]\nroyal = 2000\n");
    page->SetFolder(rules);
    page->Reload(kDefaultRuleSetName);

    // A copy of the program's rules, being edited: not saved yet, so marked.
    page->RuleSetNameEdit->setText("мой стол");
    page->CopyClick();
    form.ePay_4->setText("25");
    form.ePay_royal->setText("200");
    form.ePrice_buy6->setText("1,5");
    form.CheckBox5->setChecked(false);
    form.PageControl1->setCurrentWidget(form.TabSheet8);
    QApplication::processEvents();
    ok &= form.grab().save(dir.filePath("settings-rule-set-edited.png"));

    // The damaged file clicked: the reason is shown, the set in force stays.
    for (int r = 0; r < page->RuleSetList->count(); ++r)
        if (page->RuleSetList->item(r)->text().startsWith("сломанный"))
            emit page->RuleSetList->itemClicked(page->RuleSetList->item(r));
    QApplication::processEvents();
    ok &= form.grab().save(dir.filePath("settings-damaged-file.png"));

    page->SetFolder(oldFolder);
    page->Reload(oldSet);
    form.PageControl1->setCurrentIndex(start);
    return ok;
}

} // namespace kvarlen
