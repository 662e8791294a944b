// The texts of "справка" and "о программе".
#include "ui/MainWindow.h"
#include "ui/help/HelpWindow.h"

#include "training/training_history.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringList>
#include <QtGlobal>

#ifndef KVARLEN_VERSION
#error "KVARLEN_VERSION comes from the build (the project's version)"
#endif

namespace kvarlen {

namespace {

QString Path(const QString& path) {
    return "<code>" + QDir::toNativeSeparators(path).toHtmlEscaped() + "</code>";
}

struct TLibrary {
    const char* Name;
    const char* Use;
    const char* Package; // Debian's source package
    const char* Licence; // as /usr/share/doc/<package>/copyright states it
};

// The licences of the installed Debian packages, from their copyright files (the files'
// "Files: *" stanza).
const TLibrary kLibraries[] = {
    {"Qt 6 (Core, Gui, Widgets)", "окна, картинки, файлы", "qt6-base", "LGPL-3 or GPL-2"},
    {"Qt Charts", "графики", "qt6-charts", "GPL-3+"},
    {"Qt SVG", "графики в файлах SVG", "qt6-svg", "LGPL-3 or GPL-2"},
    {"переводы Qt", "русские стандартные кнопки и окна выбора файла", "qt6-translations",
     "GPL-3 with Qt-1.0 exception"},
    {"shapelib (libshp)", "таблица истории DBF", "shapelib", "Expat or LGPL-2+"},
    {"SQLite 3", "история тренажёра", "sqlite3", "public-domain"},
    {"toml++ (tomlplusplus)", "наборы правил в файлах TOML", "tomlplusplus", "Expat"},
    {"nlohmann-json", "результаты в JSON (kvarlen-cli)", "nlohmann-json3", "Expat"},
    {"CLI11", "разбор командной строки kvarlen-cli", "cli11", "BSD-3-clause"},
    {"GNU C Library (iconv)", "кодировка Windows-1251 в файлах", "glibc", "LGPL-2.1+"},
    {"GoogleTest", "только тесты", "googletest", "BSD-C3 (BSD, три пункта)"},
    {"Google Benchmark", "только замеры скорости", "benchmark", "Apache-2.0"},
};

QString Row(const QString& a, const QString& b, const QString& c = QString()) {
    QString row = "<tr><td>" + a + "</td><td>" + b + "</td>";
    if (!c.isNull()) row += "<td>" + c + "</td>";
    return row + "</tr>";
}

QString DefaultTrainingHistory() {
    return QString::fromStdString(training::DefaultHistoryPath());
}

} // namespace

THelpPaths CurrentHelpPaths(const TForm1& form) {
    THelpPaths p;
    const QDir here = QDir::current();
    p.ReportFolder = here.absoluteFilePath("out");
    p.HistoryTable = form.HistoryTablePath;
    p.TracePicture = here.absoluteFilePath("bug.bmp");
    p.TrainingHistory = DefaultTrainingHistory();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    p.RuleSets = config.isEmpty() ? QString() : config + "/kvarlen/rules";
    return p;
}

// The one list of keys: when a button gets a key of its own, its row goes here.
const std::vector<THelpKey>& HelpKeys() {
    static const std::vector<THelpKey> keys = {
        {"A 2…9 0 J Q K", "значение карты под указателем мыши на «расклады» (0 — десятка); на "
                          "карте дилера действуют только A, K и Q"},
        {"S C D H", "масть карты под указателем: пики, трефы, бубны, червы"},
        {"левая / правая кнопка мыши", "на карте расклада: следующее значение / следующая масть"},
        {"F5, F6, F7, F8", "«EV Raise», «EV Buy», «EV Change», «EV 2 Change» на «расклады»"},
        {"F9", "«анализ» на «расклады»"},
        {"Ctrl+L", "поле расклада на «расклады»: весь расклад в записи командной строки; Enter "
                   "вводит его, Esc возвращает показанный"},
        {"F10", "«СТАРТ» на «симуляция»; во время прогона останавливает его"},
        {"Esc", "остановить идущую симуляцию (в главном окне и в окне трассировки): прогон "
                "кончается после текущей раздачи, отчёт и файлы охватывают сыгранные раздачи"},
        {"Enter", "в окне трассировки: следующая раздача (как «>>>»)"},
        {"0, 1–5, B, R / P, I / N", "тренажёр: без обмена, обмен этой карты, покупка шестой, "
                                    "повышение / пас, страховка / без страховки"},
        {"Enter, Backspace", "тренажёр: следующая раздача (ошибка остаётся), взять ошибку назад"},
        {"F1", "эта справка"},
        {"остальные", "клавиша кнопки видна на самой кнопке или в её подсказке"},
    };
    return keys;
}

QString ProgramVersion() {
    return QStringLiteral(KVARLEN_VERSION);
}

QString HelpText(const THelpPaths& paths) {
    QString html = "<h2>Кварлен (5 + покупка 1)</h2>"
                   "<p>Верстак для шестикарточного стад-покера против дилера. Каждый бокс "
                   "получает пять карт и может обменять одну или две из них или купить шестую "
                   "(тогда его рука — лучшие пять из шести); дилер получает пять карт, одна из "
                   "них открыта, и должен иметь игру. Все суммы — в анте.</p>";

    html += "<h3>Страницы</h3><dl>";
    const QStringList pages = {
        "настройки",
        "выплаты по комбинациям и цены обмена, покупки и игры дилеру, которые действуют сейчас.",
        "расклады",
        "карты игрока и открытая карта дилера. Щелчок левой кнопкой меняет значение карты, "
        "правой — масть; маленькие кнопки на картах кладут их рубашкой вверх или открывают. "
        "«Колода» открывает выбор вышедших карт. «EV Raise», «EV Buy», «EV Change» и «EV 2 "
        "Change» точно считают ожидание (MO) повышения, покупки шестой карты, обмена одной и "
        "двух карт; «детализировать» добавляет таблицу по классам. «анализ» оценивает каждый "
        "вариант по лучшей игре и называет лучший. Расклад, который посчитать нельзя, "
        "отклоняется с причиной в строке состояния.",
        "симуляция",
        "«СТАРТ» играет заданное число раздач командой из одного–трёх боксов — по стратегии или "
        "идеально (каждое решение по точным ожиданиям). Отчёт добавляется в поле страницы и в "
        "файлы, MO и дисперсия уходят на «математику»; после игры по стратегии окно «Банк по "
        "раздачам» рисует банки боксов. Во время прогона «СТАРТ» читается «СТОП». "
        "«трассировка» показывает каждую раздачу в окне трассировки.",
        "математика",
        "риск разорения, минимальный банк и разброс итога N раздач (по двум сигмам) с "
        "графиком.",
        "точный расчёт",
        "точное значение всей игры для одного бокса: сосчитана каждая раздача. Вкладки: "
        "таблица возврата со сводкой и графиком вкладов; «решения» — карта решений по сданной "
        "комбинации и открытой карте дилера; «кривая правил» — край дома как функция цены или "
        "выплаты (все точки за один проход) и значение, дающее выбранный край дома. "
        "«копировать» и «сохранить CSV…» берут таблицу открытой вкладки.",
        "тренажёр",
        "сеанс игры за столом: каждое решение сразу оценивается по лучшей игре. Статистика "
        "сеанса, самые дорогие ошибки (открываются на «расклады») и история по сеансам и "
        "дням.",
        "хлам был",
        "пустая страница.",
    };
    for (int i = 0; i + 1 < pages.size(); i += 2)
        html += "<dt><b>" + pages[i] + "</b></dt><dd>" + pages[i + 1] + "</dd>";
    html += "</dl><p>Графики сохраняются в файл PNG или SVG и копируются в буфер обмена — "
            "из меню по правой кнопке мыши; на «математике» и кнопками под графиком.</p>";

    html += "<h3>Клавиши</h3><table cellpadding='3'>";
    for (const THelpKey& key : HelpKeys())
        html += Row("<b>" + key.Keys.toHtmlEscaped() + "</b>", key.Does.toHtmlEscaped());
    html += "</table>";

    const QString training =
        paths.TrainingHistory.isEmpty()
            ? QString("не задано: нет ни XDG_DATA_HOME, ни HOME — укажите файл на странице")
            : Path(paths.TrainingHistory);
    const QString rules = paths.RuleSets.isEmpty() ? QString("не задано") : Path(paths.RuleSets);
    html += "<h3>Файлы</h3><table cellpadding='3'>";
    html += Row("отчёты",
                "<code>out/out&lt;ггггммдд&gt;.txt</code> — все отчёты дня, "
                "<code>out/out_bank_&lt;ггггммдд&gt;.txt</code> — банки по раздачам после игры "
                "по стратегии; в папке <code>out</code> текущей папки: " +
                    Path(paths.ReportFolder) + ". Windows-1251, строки CR LF.");
    html += Row("таблица истории", "идеальная игра с «DBF-history»: <code>DBF/1box.DBF</code> "
                                   "рядом с программой: " +
                                       Path(paths.HistoryTable) + ".");
    html += Row("журнал раздач",
                "файл, названный у «журнал раздач в файл» (CSV, а для имени на "
                "<code>.jsonl</code> — строки JSON), в текущей папке, если имя не полное.");
    html += Row("картинка трассировки", "кнопка «bug.bmp» окна трассировки пишет её в текущую "
                                        "папку: " +
                                            Path(paths.TracePicture) + ".");
    html += Row("история тренажёра",
                "<code>$XDG_DATA_HOME/kvarlen/training.sqlite</code> "
                "(без переменной <code>~/.local/share/kvarlen/training.sqlite</code>): " +
                    training + ", если на странице не назван другой файл.");
    html += Row("наборы правил", "<code>$XDG_CONFIG_HOME/kvarlen/rules/*.toml</code> "
                                 "(без переменной <code>~/.config/kvarlen/rules</code>): " +
                                     rules + ".");
    html += Row("картинки и таблицы", "PNG, SVG и CSV — туда, куда укажете в окне сохранения.");
    html += "</table><p>Файл, который программа не может прочитать, она не перезаписывает, а "
            "называет его и причину.</p>";
    return html;
}

QString AboutText() {
    QString html = "<h2>Кварлен (5 + покупка 1)</h2>";
    html += "<p>Версия " + ProgramVersion().toHtmlEscaped() + "</p>";
    html += QString("<p>Qt %1 (программа собрана с Qt %2)</p>").arg(qVersion(), QT_VERSION_STR);
    html += "<p>Картинки карт нарисованы собственным генератором программы.</p>";
    html += "<h3>Библиотеки</h3><table cellpadding='3'>";
    html += "<tr><th align='left'>библиотека</th><th align='left'>для чего</th>"
            "<th align='left'>лицензия</th></tr>";
    for (const TLibrary& lib : kLibraries)
        html += Row(QString(lib.Name).toHtmlEscaped(), QString(lib.Use).toHtmlEscaped(),
                    QString(lib.Licence).toHtmlEscaped());
    html += "</table><p>Лицензии — как их называют файлы <code>/usr/share/doc/&lt;пакет&gt;/"
            "copyright</code> установленных пакетов Debian (исходные пакеты: ";
    QStringList packages;
    for (const TLibrary& lib : kLibraries) packages << lib.Package;
    html += packages.join(", ") + ").</p>";
    return html;
}

} // namespace kvarlen
