#include "ui/help/HelpWindow.h"

#include "ui/MainWindow.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace kvarlen {

namespace {

QTextBrowser* Browser(const char* name) {
    auto* browser = new QTextBrowser;
    browser->setObjectName(name);
    browser->setOpenLinks(false);
    return browser;
}

QToolButton* CornerButton(const char* name, const QString& text, const QString& tip) {
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

THelpWindow::THelpWindow(TForm1& form) : QWidget(&form, Qt::Window), form_(form) {
    setObjectName("HelpWindow");
    setWindowTitle("Кварлен: справка");
    HelpPages = new QTabWidget;
    HelpPages->setObjectName("HelpPages");
    HelpBrowser = Browser("HelpBrowser");
    AboutBrowser = Browser("AboutBrowser");
    HelpPages->addTab(HelpBrowser, "справка");
    HelpPages->addTab(AboutBrowser, "о программе");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(HelpPages);
    resize(660, 600);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void THelpWindow::ShowHelp() {
    Present(HelpBrowser);
}

void THelpWindow::ShowAbout() {
    Present(AboutBrowser);
}

void THelpWindow::Present(QWidget* page) {
    // The paths as they are now: the current folder and the environment may have changed.
    HelpBrowser->setHtml(HelpText(CurrentHelpPaths(form_)));
    AboutBrowser->setHtml(AboutText());
    HelpPages->setCurrentWidget(page);
    if (!isVisible()) {
        // Beside the main window, as the program's other windows open.
        const QRect main = form_.frameGeometry();
        move(main.right() + 8, main.top());
    }
    show();
    raise();
    activateWindow();
}

THelpWindow* InstallHelp(TForm1& form) {
    auto* window = new THelpWindow(form);
    auto* corner = new QWidget;
    auto* row = new QHBoxLayout(corner);
    row->setContentsMargins(0, 0, 2, 0);
    row->setSpacing(2);
    QToolButton* help = CornerButton("ButtonHelp", "справка",
                                     "Что делает каждая страница, "
                                     "клавиши, где файлы (F1)");
    QToolButton* about =
        CornerButton("ButtonAbout", "о программе", "Версия и библиотеки с их лицензиями");
    row->addWidget(help);
    row->addWidget(about);
    form.PageControl1->setCornerWidget(corner, Qt::TopRightCorner);
    QObject::connect(help, &QToolButton::clicked, window, &THelpWindow::ShowHelp);
    QObject::connect(about, &QToolButton::clicked, window, &THelpWindow::ShowAbout);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), &form);
    f1->setObjectName("HelpShortcut");
    QObject::connect(f1, &QShortcut::activated, window, &THelpWindow::ShowHelp);
    return window;
}

} // namespace kvarlen
