// "справка" (what each page does, the keys, where the files go) and "о программе" (version,
// libraries and their licences): one window with a page for each, opened from the corner of
// the main window's pages or by F1.
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

class QTabWidget;
class QTextBrowser;

namespace kvarlen {

class TForm1;

// Where the program's files go, as the help names them (absolute paths at the time asked).
struct THelpPaths {
    QString ReportFolder;    // "out" under the current folder
    QString HistoryTable;    // DBF/1box.DBF beside the program
    QString TracePicture;    // bug.bmp in the current folder
    QString TrainingHistory; // the default training history; "" when there is no place for it
    QString RuleSets;        // the folder of the rule sets
};
THelpPaths CurrentHelpPaths(const TForm1& form);

// The keys the help lists, in one place: the keys and what they do.
struct THelpKey {
    QString Keys;
    QString Does;
};
const std::vector<THelpKey>& HelpKeys();

// The program's version as the build gives it.
QString ProgramVersion();
// The two pages' HTML.
QString HelpText(const THelpPaths& paths);
QString AboutText();

class THelpWindow : public QWidget {
    Q_OBJECT

  public:
    // A window of its own, owned by form.
    explicit THelpWindow(TForm1& form);

    // Brings the window up on its page "справка" (F1) or "о программе".
    void ShowHelp();
    void ShowAbout();

    QTabWidget* HelpPages = nullptr;
    QTextBrowser* HelpBrowser = nullptr;
    QTextBrowser* AboutBrowser = nullptr;

  private:
    void Present(QWidget* page);
    TForm1& form_;
};

// Puts "справка" and "о программе" in the corner of the main window's pages and binds F1 in the
// main window; returns the window they open.
THelpWindow* InstallHelp(TForm1& form);

} // namespace kvarlen
