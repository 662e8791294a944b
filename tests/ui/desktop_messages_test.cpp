// The engine's messages as the desktop shows them: the standard file errors the command line
// shares and the training history's failures in Russian, naming the file and what was tried.
#include "simulation/text_files.h"
#include "training/sqlite_db.h"
#include "training/training_history.h"
#include "ui/common/Messages.h"
#include "ui/training/TrainingMessages.h"
#include "ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <string>

using namespace kvarlen;
using namespace kvarlen::training;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// No word of the engine's English wording is left.
bool Russian(const QString& text) {
    for (const char* word : {"Cannot", "The folder", "is missing", "left as it", "cannot"})
        if (text.contains(word)) return false;
    return true;
}

// The history's refusal or failure for path, as the desktop words it.
QString HistoryText(const std::string& path, std::string* english = nullptr) {
    try {
        TTrainingHistory history(path);
    } catch (const std::exception& e) {
        if (english) *english = e.what();
        return HistoryErrorText(e);
    }
    return QString();
}

} // namespace

class TDesktopMessagesTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { test::Messages().Texts.clear(); }

    // They were shown in English ("Cannot create file …").
    void fileErrorsAreShownInRussian() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("out/out20240101.txt").toStdString();
        const QString noFile = Q(std::strerror(ENOENT));

        ShowModalMessage(nullptr, Q(CannotCreateText(path, ENOENT)));
        ShowModalMessage(nullptr, Q(CannotWriteText(path, ENOSPC)));
        QCOMPARE(test::Messages().Texts,
                 QStringList({"Не удается создать файл \"" + Q(path) + "\". " + noFile,
                              "Не удается записать файл \"" + Q(path) + "\". " +
                                  Q(std::strerror(ENOSPC)) + ". Файл оставлен как был"}));

        // A file whose folder is missing says so, as the writer words it.
        std::string error;
        TFileWriter writer(path);
        QVERIFY(!writer.Open(error));
        QCOMPARE(DesktopMessage(Q(error)), "Не удается создать файл \"" + Q(path) + "\". " +
                                               noFile + ". Папки \"" + dir.filePath("out") +
                                               "\" нет");

        // A report file that cannot be read is left as it was.
        const std::string unreadable = dir.filePath("u.txt").toStdString();
        {
            QFile f(Q(unreadable));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QFile::setPermissions(Q(unreadable), QFileDevice::WriteOwner);
        if (!QFile(Q(unreadable)).open(QIODevice::ReadOnly)) { // not as root
            QVERIFY(!AppendTextFile(unreadable, {"x"}, error));
            const QString shown = DesktopMessage(Q(error));
            QVERIFY2(shown.startsWith("Не удается прочитать файл \"" + Q(unreadable) + "\". "),
                     qPrintable(shown));
            QVERIFY2(shown.endsWith(". Файл оставлен как был") && Russian(shown),
                     qPrintable(shown));
        }
        QCOMPARE(DesktopMessage("Cannot read file \"/r.txt\". Permission denied. The file was left "
                                "as it was"),
                 QString("Не удается прочитать файл \"/r.txt\". Permission denied. Файл оставлен "
                         "как был"));
        QCOMPARE(DesktopMessage("Cannot create file \"/a/out/x.txt\". No such file or directory. "
                                "The folder \"/a/out\" is missing and cannot be made in \"/a\": "
                                "Permission denied"),
                 QString("Не удается создать файл \"/a/out/x.txt\". No such file or directory. "
                         "Папки \"/a/out\" нет, и создать её в \"/a\" нельзя: Permission denied"));
    }

    void otherTextsStayAsTheyAre() {
        for (const QString text :
             {"'abc' is not a valid floating point value", "Floating point division by zero",
              "Таблица \"x.dbf\" уже открыта другим прогоном", "Cannot create filex"})
            QCOMPARE(DesktopMessage(text), text);
        QCOMPARE(DesktopMessage("std::bad_alloc"), QString("Не хватило памяти: действие прервано"));
    }

    // The history's refusals reached the page in English inside a Russian sentence.
    void historyRefusalsNameTheFileInRussian() {
        QTemporaryDir dir;
        std::string english;

        const std::string folder = dir.path().toStdString();
        QString text = HistoryText(folder, &english);
        QCOMPARE(text, "«" + dir.path() + "» — папка, а не файл истории");
        QCOMPARE(english, "the training history \"" + folder + "\" is a folder, not a file");

        const std::string notes = dir.filePath("notes.sqlite").toStdString();
        {
            QFile f(Q(notes));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("just some text, not a database at all");
        }
        text = HistoryText(notes, &english);
        QCOMPARE(text, "«" + Q(notes) + "» — не история тренажёра: это не база SQLite");
        // The command line keeps its wording.
        QCOMPARE(english,
                 "\"" + notes +
                     "\" is not a training history: not an SQLite database (left as it is)");

        const std::string other = dir.filePath("other.sqlite").toStdString();
        {
            TDatabase db(other, true, 1000);
            db.Exec("CREATE TABLE t(x)");
        }
        text = HistoryText(other);
        QCOMPARE(text, "«" + Q(other) + "» — база SQLite, но не история тренажёра Кварлена");

        const std::string newer = dir.filePath("newer.sqlite").toStdString();
        { TTrainingHistory made(newer); }
        {
            TDatabase db(newer, false, 1000);
            db.Exec("PRAGMA user_version = 99");
        }
        text = HistoryText(newer, &english);
        QVERIFY2(text.startsWith("«" + Q(newer) +
                                 "» записан более новой программой: версия схемы "
                                 "99"),
                 qPrintable(text));
        QVERIFY(english.find("has schema version 99") != std::string::npos);
        QVERIFY(Russian(text));
    }

    void historyFailuresSayWhatWasTried() {
        QTemporaryDir dir;
        // A file where the history's folder would have to be made.
        QFile blocker(dir.filePath("block"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const std::string path = dir.filePath("block/kvarlen/training.sqlite").toStdString();
        std::string english;
        const QString text = HistoryText(path, &english);
        QVERIFY2(
            text.startsWith("не удается создать папку «" + dir.filePath("block/kvarlen") + "»: "),
            qPrintable(text));
        QVERIFY(english.rfind("cannot create the folder \"", 0) == 0);

        const THistoryFailed write(THistoryProblem::Write, "/h.sqlite", "disk I/O error");
        QCOMPARE(HistoryErrorText(write),
                 QString("не удается записать в историю тренажёра «/h.sqlite»: disk I/O error"));
        QCOMPARE(std::string(write.what()),
                 std::string("cannot write to the training history \"/h.sqlite\": disk I/O error"));
        const std::runtime_error plain("something else");
        QCOMPARE(HistoryErrorText(plain), QString("something else"));
    }
};

KVARLEN_UI_TEST_MAIN(TDesktopMessagesTest)
#include "desktop_messages_test.moc"
