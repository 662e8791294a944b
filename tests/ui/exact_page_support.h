// What the tests of "точный расчёт" share: the settings the page reads from the window at START.
#pragma once

#include "exact/exact_run.h"
#include "ui/MainWindow.h"
#include "ui/common/ChartExport.h"
#include "ui/exact/ExactPage.h"

#include <QCheckBox>
#include <QRadioButton>

namespace kvarlen::test {

// The file dialogs answered by the test: the path set, the name suggested kept.
class TCsvChooser : public TExactFileChooser {
  public:
    QString SaveCsvPath(QWidget*, const QString& suggested) override {
        Suggested = suggested;
        return Path;
    }
    QString Path, Suggested;
};
class TPictureChooser : public TFileChooser {
  public:
    QString SaveFileName(QWidget*, const QString&, const QString& suggested,
                         const QString&) override {
        Suggested = suggested;
        return Path;
    }
    QString Path, Suggested;
};

inline TExactSettings WindowExactSettings(TForm1& form, const TExactPage& page, int k, int n) {
    TExactSettings s;
    FillRules(form.ReadRulesControls(), s.Rules);
    s.Mode = page.ExactStrategy->isChecked()  ? TExactMode::Strategy
             : page.ExactOptimal->isChecked() ? TExactMode::Optimal
                                              : TExactMode::Ideal;
    s.DealerAK = form.AK_exist->isChecked();
    s.RaiseAt2Matches = form.CheckBox7->isChecked();
    s.PartIndex = k;
    s.PartCount = n;
    return s;
}

} // namespace kvarlen::test
