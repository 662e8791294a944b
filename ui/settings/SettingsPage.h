// The page "настройки": the payouts and prices in force, and the named rule sets that fill them
// and the switches of "5+1" — the program's own "default", which cannot be changed, and the
// user's TOML files, created, copied, saved and deleted here.
#pragma once

#include "cards/rule_sets.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QWidget;

namespace kvarlen {

class TForm1;

class TSettingsPage : public QObject {
    Q_OBJECT

  public:
    // Builds the page's controls into page (the window's payout and price fields included).
    TSettingsPage(TForm1& form, QWidget* page);

    // Once every control of the window exists: follows the fields and switches, lists the sets
    // and puts the default in force.
    void Start();

    // The set in force, with a '*' when its fields or switches were changed and not saved.
    QString NameInForce() const;
    const TRuleSet& SetInForce() const { return inForce_; }
    // The fields and switches differ from the set in force (or do not read as numbers).
    bool Modified() const;

    // The folder of the sets (the engine's, which follows XDG_CONFIG_HOME); another one for
    // pictures made without touching the user's files.
    QString Folder() const { return folder_; }
    void SetFolder(const QString& folder);
    // Lists the folder again and puts the set of that name in force ("default" when missing).
    void Reload(const QString& choose);
    // Puts a listed set in force, as a click on its line does; false when it is not listed,
    // cannot be read, or the user kept unsaved changes.
    bool Choose(const QString& name);

    // The buttons.
    void NewClick();
    void CopyClick();
    void SaveClick();
    void DeleteClick();

    // Asks a yes/no question; tests answer it without a box.
    std::function<bool(QWidget*, const QString&)> Confirm;

    QListWidget* RuleSetList = nullptr;
    QLineEdit* RuleSetNameEdit = nullptr;
    QPushButton* RuleSetNew = nullptr;
    QPushButton* RuleSetCopy = nullptr;
    QPushButton* RuleSetSave = nullptr;
    QPushButton* RuleSetDelete = nullptr;
    QLabel* RuleSetStatus = nullptr;
    QLabel* RuleSetSwitches = nullptr; // the "5+1" switches of the set, as text
    QLabel* RuleSetFolder = nullptr;

  private:
    void BuildFieldPanels(QWidget* page);
    // The set into the fields and switches.
    void Show(const TRuleSet& set);
    // Enabled controls, the marker of the line in force and the texts after any change.
    void UpdateState();
    void RowChanged(int row);
    void ItemClicked(QListWidgetItem* item);
    // The name typed for a new set, or an empty text (and said) when it cannot be one.
    QString NewName();
    bool Create(const TRuleSet& set);
    // The fields as a set, or false (and said) when a field does not read.
    bool ReadFields(const std::string& name, TRuleSet& out);
    int RowOf(const QString& name) const;
    bool IsDefault() const { return inForce_.Name == kDefaultRuleSetName; }

    TForm1& form_;
    QString folder_;
    std::vector<TRuleSetEntry> entries_;
    TRuleSet inForce_;
    bool filling_ = false; // the page itself is writing the fields
    int row_ = 0;          // the line of the set in force
};

// Pictures of the page for --screenshot: a user's set being edited, beside a damaged file.
bool SaveSettingsScreenshots(TForm1& form, const QString& folder);

} // namespace kvarlen
