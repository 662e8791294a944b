#include "ui/settings/SettingsPage.h"

#include "ui/MainWindow.h"
#include "ui/common/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvarlen {

namespace {

template <class T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QString& text) {
    return text.toStdString();
}

constexpr int kNameRole = Qt::UserRole;

} // namespace

TSettingsPage::TSettingsPage(TForm1& form, QWidget* page) : QObject(page), form_(form) {
    Confirm = [](QWidget* parent, const QString& text) {
        return QMessageBox::question(parent, QString(), text) == QMessageBox::Yes;
    };
    folder_ = Q(RuleSetsFolder());
    auto* row = new QHBoxLayout(page);

    auto* box = Named(new QGroupBox("Наборы правил"), "RuleSetsBox");
    auto* column = new QVBoxLayout(box);
    RuleSetList = Named(new QListWidget, "RuleSetList");
    RuleSetList->setSelectionMode(QAbstractItemView::SingleSelection);
    column->addWidget(RuleSetList, 1);
    RuleSetSwitches = Named(new QLabel, "RuleSetSwitches");
    RuleSetSwitches->setWordWrap(true);
    column->addWidget(RuleSetSwitches);
    auto* nameRow = new QHBoxLayout;
    auto* nameLabel = Named(new QLabel("Имя нового набора:"), "Label_RuleSetNameEdit");
    RuleSetNameEdit = Named(new QLineEdit, "RuleSetNameEdit");
    RuleSetNameEdit->setPlaceholderText("например, мой стол");
    nameLabel->setBuddy(RuleSetNameEdit);
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(RuleSetNameEdit, 1);
    column->addLayout(nameRow);
    auto* buttons = new QGridLayout;
    RuleSetNew = Named(new QPushButton("новый"), "RuleSetNew");
    RuleSetNew->setToolTip("новый набор под введённым именем с правилами программы");
    RuleSetCopy = Named(new QPushButton("копировать"), "RuleSetCopy");
    RuleSetCopy->setToolTip("новый набор под введённым именем с правилами, которые сейчас "
                            "показаны (с несохранёнными изменениями)");
    RuleSetSave = Named(new QPushButton("сохранить"), "RuleSetSave");
    RuleSetSave->setToolTip("записать изменения в файл выбранного набора");
    RuleSetDelete = Named(new QPushButton("удалить"), "RuleSetDelete");
    RuleSetDelete->setToolTip("удалить файл выбранного набора");
    buttons->addWidget(RuleSetNew, 0, 0);
    buttons->addWidget(RuleSetCopy, 0, 1);
    buttons->addWidget(RuleSetSave, 1, 0);
    buttons->addWidget(RuleSetDelete, 1, 1);
    column->addLayout(buttons);
    RuleSetStatus = Named(new QLabel, "RuleSetStatus");
    RuleSetStatus->setWordWrap(true);
    RuleSetStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(RuleSetStatus);
    RuleSetFolder = Named(new QLabel, "RuleSetFolder");
    RuleSetFolder->setWordWrap(true);
    RuleSetFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont small = RuleSetFolder->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    RuleSetFolder->setFont(small);
    column->addWidget(RuleSetFolder);
    box->setFixedWidth(320);
    row->addWidget(box);
    BuildFieldPanels(page);
    row->addStretch(1);

    connect(RuleSetList, &QListWidget::currentRowChanged, this, [this](int r) { RowChanged(r); });
    connect(RuleSetList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ItemClicked(item); });
    connect(RuleSetNew, &QPushButton::clicked, this, [this] { NewClick(); });
    connect(RuleSetCopy, &QPushButton::clicked, this, [this] { CopyClick(); });
    connect(RuleSetSave, &QPushButton::clicked, this, [this] { SaveClick(); });
    connect(RuleSetDelete, &QPushButton::clicked, this, [this] { DeleteClick(); });
}

void TSettingsPage::BuildFieldPanels(QWidget* page) {
    auto* row = static_cast<QHBoxLayout*>(page->layout());
    struct Field {
        QLineEdit** edit;
        const char* name;
        const char* caption;
        const char* text;
    };
    auto panel = [&](QFrame*& frame, const char* frameName, const char* headingName,
                     const QString& heading, std::initializer_list<Field> fields, bool masked) {
        frame = Named(new QFrame, frameName);
        frame->setFrameShape(QFrame::StyledPanel);
        auto* grid = new QGridLayout(frame);
        auto* title = Named(new QLabel(heading), headingName);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        grid->addWidget(title, 0, 0, 1, 2);
        int r = 1;
        for (const Field& f : fields) {
            auto* edit = Named(new QLineEdit, f.name);
            if (masked) {
                // Three optional digits; an unfilled position reads as a blank.
                edit->setInputMask("000; ");
                edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("0000") + 14);
            } else {
                edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("00000000") + 14);
            }
            edit->setText(QString::fromUtf8(f.text));
            *f.edit = edit;
            auto* label = Named(new QLabel(QString::fromUtf8(f.caption)),
                                (std::string("Label_") + f.name).c_str());
            label->setBuddy(edit);
            grid->addWidget(label, r, 0);
            grid->addWidget(edit, r, 1);
            ++r;
        }
        grid->setRowStretch(r, 1);
        row->addWidget(frame, 0, Qt::AlignTop);
    };
    // The default set's fields are shown disabled, yet readable.
    QPalette readable = page->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        readable.setColor(QPalette::Disabled, role, QColor(80, 80, 80));
    page->setPalette(readable);
    panel(form_.Panel2, "Panel2", "Label24", "Выплаты",
          {{&form_.ePay_AK, "ePay_AK", "Туз+король", "1  "},
           {&form_.ePay_2, "ePay_2", "пара", "1  "},
           {&form_.ePay_22, "ePay_22", "две пары", "2  "},
           {&form_.ePay_3, "ePay_3", "тройня", "3  "},
           {&form_.ePay_st, "ePay_st", "стрит", "4  "},
           {&form_.ePay_fl, "ePay_fl", "флэш", "5  "},
           {&form_.ePay_32, "ePay_32", "фуллхаус", "7  "},
           {&form_.ePay_4, "ePay_4", "каре", "20 "},
           {&form_.ePay_stfl, "ePay_stfl", "стритфлэш", "50 "},
           {&form_.ePay_royal, "ePay_royal", "рояль", "100"}},
          true);
    panel(form_.Panel3, "Panel3", "Label25", "Цены",
          {{&form_.ePrice_Change1, "ePrice_Change1", "Обмен 1", "1,0"},
           {&form_.ePrice_Change2, "ePrice_Change2", "Обмен 2", "1,0"},
           {&form_.ePrice_buy6, "ePrice_buy6", "Покупка 6", "1,0"},
           {&form_.ePrice_buyDGame, "ePrice_buyDGame", "Покупка игры", "1,0"}},
          false);
    for (QFrame* frame : {form_.Panel2, form_.Panel3}) {
        for (QWidget* w : frame->findChildren<QWidget*>()) w->setEnabled(false);
        frame->setEnabled(false);
    }
}

void TSettingsPage::Start() {
    for (QLineEdit* e :
         {form_.ePay_AK, form_.ePay_2, form_.ePay_22, form_.ePay_3, form_.ePay_st, form_.ePay_fl,
          form_.ePay_32, form_.ePay_4, form_.ePay_stfl, form_.ePay_royal, form_.ePrice_Change1,
          form_.ePrice_Change2, form_.ePrice_buy6, form_.ePrice_buyDGame})
        connect(e, &QLineEdit::textChanged, this, [this] { UpdateState(); });
    for (QCheckBox* c : {form_.CheckBox5, form_.CheckBox9, form_.CheckBox8, form_.CheckBox12})
        connect(c, &QCheckBox::toggled, this, [this] { UpdateState(); });
    for (QComboBox* c : {form_.ComboBox2, form_.ComboBox3})
        connect(c, &QComboBox::editTextChanged, this, [this] { UpdateState(); });
    Reload(kDefaultRuleSetName);
}

void TSettingsPage::SetFolder(const QString& folder) {
    folder_ = folder;
}

QString TSettingsPage::NameInForce() const {
    return Q(inForce_.Name) + (Modified() ? "*" : "");
}

bool TSettingsPage::Modified() const {
    try {
        return !SameRules(RuleSetFromControls(form_.ReadRulesControls(), inForce_.Name), inForce_);
    } catch (const std::exception&) {
        return true; // a field that is no number is a change
    }
}

void TSettingsPage::Reload(const QString& choose) {
    entries_.clear();
    QString problem;
    try {
        entries_ = ListRuleSets(S(folder_));
    } catch (const RuleSetError& e) {
        problem = Q(e.Russian);
    }
    filling_ = true;
    RuleSetList->clear();
    auto* own = new QListWidgetItem("default — правила программы, не меняются");
    own->setData(kNameRole, QString(kDefaultRuleSetName));
    QFont italic = own->font();
    italic.setItalic(true);
    own->setFont(italic);
    RuleSetList->addItem(own);
    for (const TRuleSetEntry& e : entries_) {
        auto* item = new QListWidgetItem;
        item->setData(kNameRole, Q(e.Name));
        if (e.Ok) {
            item->setText(Q(e.Name));
            item->setToolTip(Q(e.Path));
        } else {
            // Listed so that the user sees it, never chosen, so never saved over.
            item->setText(Q(e.Name) + " — файл не прочитан");
            item->setToolTip(Q(e.RussianError));
            item->setForeground(QColor(160, 0, 0));
            item->setFlags(Qt::ItemIsEnabled);
        }
        RuleSetList->addItem(item);
    }
    filling_ = false;
    RuleSetFolder->setText(
        "Папка наборов: " +
        (folder_.isEmpty() ? QString("нет (не заданы XDG_CONFIG_HOME и HOME)") : folder_));
    int r = RowOf(choose);
    if (r < 0 || !(RuleSetList->item(r)->flags() & Qt::ItemIsSelectable)) r = 0;
    row_ = -1;
    const TRuleSet chosen = r == 0 ? DefaultRuleSet() : entries_[static_cast<size_t>(r - 1)].Set;
    inForce_ = chosen;
    Show(chosen);
    row_ = r;
    filling_ = true;
    RuleSetList->setCurrentRow(r);
    filling_ = false;
    UpdateState();
    if (!problem.isEmpty()) RuleSetStatus->setText(problem);
}

int TSettingsPage::RowOf(const QString& name) const {
    for (int r = 0; r < RuleSetList->count(); ++r)
        if (RuleSetList->item(r)->data(kNameRole).toString() == name) return r;
    return -1;
}

bool TSettingsPage::Choose(const QString& name) {
    const int r = RowOf(name);
    if (r < 0 || !(RuleSetList->item(r)->flags() & Qt::ItemIsSelectable)) return false;
    RuleSetList->setCurrentRow(r);
    return row_ == r;
}

void TSettingsPage::RowChanged(int r) {
    if (filling_ || r < 0 || r == row_) return;
    QListWidgetItem* item = RuleSetList->item(r);
    if (!(item->flags() & Qt::ItemIsSelectable)) {
        ItemClicked(item);
        filling_ = true;
        RuleSetList->setCurrentRow(row_);
        filling_ = false;
        return;
    }
    if (Modified() && !Confirm(RuleSetList, "Изменения набора «" + Q(inForce_.Name) +
                                                "» не сохранены. Перейти к другому набору без "
                                                "них?")) {
        filling_ = true;
        RuleSetList->setCurrentRow(row_);
        filling_ = false;
        return;
    }
    row_ = r;
    inForce_ = r == 0 ? DefaultRuleSet() : entries_[static_cast<size_t>(r - 1)].Set;
    Show(inForce_);
    UpdateState();
}

void TSettingsPage::ItemClicked(QListWidgetItem* item) {
    // A damaged file cannot be chosen: say why.
    if (item && !(item->flags() & Qt::ItemIsSelectable)) RuleSetStatus->setText(item->toolTip());
}

void TSettingsPage::Show(const TRuleSet& set) {
    filling_ = true;
    // With the comma of the default texts, whatever the locale; the fields read either.
    const TRulesControls c = RuleSetControls(set, ',');
    QLineEdit* pays[10] = {form_.ePay_AK,   form_.ePay_2,    form_.ePay_22, form_.ePay_3,
                           form_.ePay_st,   form_.ePay_fl,   form_.ePay_32, form_.ePay_4,
                           form_.ePay_stfl, form_.ePay_royal};
    for (size_t i = 0; i < 10; ++i) pays[i]->setText(Q(c.Pay[i]).trimmed());
    form_.ePrice_Change1->setText(Q(c.PriceChange1));
    form_.ePrice_Change2->setText(Q(c.PriceChange2));
    form_.ePrice_buy6->setText(Q(c.PriceBuy6));
    form_.ePrice_buyDGame->setText(Q(c.PriceBuyDealerGame));
    // The coupled switches: the one that is on last, so that it stays on.
    form_.CheckBox5->setChecked(c.Insurance);
    form_.CheckBox9->setChecked(c.AKPlays);
    if (c.Exchange1) {
        form_.CheckBox8->setChecked(false);
        form_.CheckBox12->setChecked(true);
    } else {
        form_.CheckBox12->setChecked(false);
        form_.CheckBox8->setChecked(c.Buy6);
    }
    form_.ComboBox2->setCurrentIndex(c.DealerGameBuyIndex);
    form_.ComboBox2Change();
    form_.ComboBox3->setCurrentIndex(c.AntePaidIndex);
    // The program's own set is shown, not edited.
    const bool editable = set.Name != kDefaultRuleSetName;
    for (QFrame* frame : {form_.Panel2, form_.Panel3}) {
        frame->setEnabled(editable);
        for (QWidget* w : frame->findChildren<QWidget*>()) w->setEnabled(editable);
    }
    filling_ = false;
}

void TSettingsPage::UpdateState() {
    if (filling_) return;
    const bool modified = Modified();
    const bool own = IsDefault();
    RuleSetSave->setEnabled(!own && modified);
    RuleSetDelete->setEnabled(!own);
    if (QListWidgetItem* item = RuleSetList->item(row_)) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
        const QString base = own ? "default — правила программы, не меняются" : Q(inForce_.Name);
        item->setText(base + (modified ? " *" : ""));
    }
    QString status;
    if (own)
        status = modified ? "Правила программы изменены на этот сеанс (переключатели «5+1»). "
                            "Чтобы сохранить их, введите имя и нажмите «копировать»."
                          : "Правила программы: их нельзя изменить. Свой набор: введите имя и "
                            "нажмите «новый» или «копировать».";
    else
        status = "Набор «" + Q(inForce_.Name) + "»" +
                 (modified ? " изменён и не сохранён: «сохранить» запишет его файл."
                           : " в силе: его поля можно править.");
    RuleSetStatus->setText(status);
    const TRulesControls c = form_.ReadRulesControls();
    auto yes = [](bool b) { return b ? QString("да") : QString("нет"); };
    RuleSetSwitches->setText(
        "«5+1»: есть страхование — " + yes(c.Insurance) + ", AK играет — " + yes(c.AKPlays) +
        ", покупка 6 карты — " + yes(c.Buy6) + ", обмен 1 карты — " + yes(c.Exchange1) + "; " +
        form_.ComboBox2->currentText() + "; " + form_.ComboBox3->currentText());
}

QString TSettingsPage::NewName() {
    const QString name = RuleSetNameEdit->text().trimmed();
    if (!RuleSetNameProblem(S(name)).empty()) {
        ShowModalMessage(RuleSetList, Q(RuleSetNameError(S(name)).Russian));
        return {};
    }
    return name;
}

bool TSettingsPage::ReadFields(const std::string& name, TRuleSet& out) {
    try {
        out = RuleSetFromControls(form_.ReadRulesControls(), name);
        return true;
    } catch (const std::exception& e) {
        ShowModalMessage(RuleSetList, "Набор не записан: " + Q(e.what()));
        return false;
    }
}

bool TSettingsPage::Create(const TRuleSet& set) {
    try {
        SaveRuleSet(set, S(folder_), false);
    } catch (const RuleSetError& e) {
        ShowModalMessage(RuleSetList, "Набор не создан: " + Q(e.Russian));
        return false;
    }
    RuleSetNameEdit->clear();
    // The new set is in force: what it was made of is saved.
    inForce_ = set;
    Reload(Q(set.Name));
    return true;
}

void TSettingsPage::NewClick() {
    const QString name = NewName();
    if (name.isEmpty()) return;
    TRuleSet set = DefaultRuleSet();
    set.Name = S(name);
    Create(set);
}

void TSettingsPage::CopyClick() {
    const QString name = NewName();
    if (name.isEmpty()) return;
    TRuleSet set;
    if (ReadFields(S(name), set)) Create(set);
}

void TSettingsPage::SaveClick() {
    if (IsDefault()) {
        ShowModalMessage(RuleSetList, "Правила программы «default» не меняются: введите имя "
                                      "нового набора и нажмите «копировать».");
        return;
    }
    TRuleSet set;
    if (!ReadFields(inForce_.Name, set)) return;
    try {
        SaveRuleSet(set, S(folder_), true);
    } catch (const RuleSetError& e) {
        ShowModalMessage(RuleSetList, "Набор не записан: " + Q(e.Russian));
        return;
    }
    inForce_ = set;
    entries_[static_cast<size_t>(row_ - 1)].Set = set;
    UpdateState();
}

void TSettingsPage::DeleteClick() {
    if (IsDefault()) return;
    const QString name = Q(inForce_.Name);
    if (!Confirm(RuleSetList, "Удалить набор правил «" + name + "» (файл " +
                                  Q(RuleSetPath(S(folder_), inForce_.Name)) + ")?"))
        return;
    try {
        DeleteRuleSet(inForce_.Name, S(folder_));
    } catch (const RuleSetError& e) {
        ShowModalMessage(RuleSetList, "Набор не удалён: " + Q(e.Russian));
        return;
    }
    Reload(kDefaultRuleSetName);
}

} // namespace kvarlen
