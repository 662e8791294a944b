// What the tests of "точный расчёт" share: the settings the page reads from the window at START.
#pragma once

#include "exact/exact_run.h"
#include "ui/MainWindow.h"
#include "ui/exact/ExactPage.h"

#include <QCheckBox>
#include <QRadioButton>

namespace kvarlen::test {

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
