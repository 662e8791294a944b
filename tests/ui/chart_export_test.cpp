// Pictures saved as PNG or SVG, through the file chooser, and copied.
#include "ui/common/ChartExport.h"
#include "ui_test_support.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <memory>

using namespace kvarlen;

namespace {

class TScriptedChooser : public TFileChooser {
  public:
    QString SaveFileName(QWidget*, const QString&, const QString& suggested,
                         const QString& filter) override {
        ++Asked;
        Suggested = suggested;
        Filter = filter;
        return Answer;
    }
    QString Answer;
    int Asked = 0;
    QString Suggested, Filter;
};

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TChartExportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QLabel> picture;
    TScriptedChooser chooser;
    TFileChooser* previous = nullptr;

    QString at(const QString& name) const { return dir->filePath(name); }
    QStringList files() const {
        return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        picture = std::make_unique<QLabel>("картинка");
        picture->setAutoFillBackground(true);
        picture->resize(120, 80);
        chooser = TScriptedChooser();
        previous = SetFileChooser(&chooser);
        test::Messages().Texts.clear();
    }
    void cleanup() {
        SetFileChooser(previous);
        picture.reset();
        dir.reset();
    }

    void pngAndSvgAreWrittenAndLoad() {
        QString error;
        QVERIFY2(SavePicture(picture.get(), at("a.png"), &error), qPrintable(error));
        const QImage png(at("a.png"), "PNG");
        QCOMPARE(png.size(), picture->size());
        // Any other name is a PNG too.
        QVERIFY(SavePicture(picture.get(), at("a.picture"), &error));
        QVERIFY(Contents(at("a.picture")).startsWith("\x89PNG"));

        for (const QString name : {"b.svg", "B.SVG"}) {
            QVERIFY2(SavePicture(picture.get(), at(name), &error), qPrintable(error));
            QSvgRenderer svg(at(name));
            QVERIFY2(svg.isValid(), qPrintable(name));
            QCOMPARE(svg.viewBoxF(), QRectF(QPointF(0, 0), picture->size()));
            // The size in millimetres is the picture's at 96 pixels an inch, as browsers and
            // editors read it; the picture opened a third larger.
            const QByteArray text = Contents(at(name));
            QVERIFY2(text.contains("width=\"31.75mm\"") && text.contains("height=\"21.1667mm\""),
                     text.left(400).constData());
        }
        QVERIFY(error.isEmpty());
        QCOMPARE(files().size(), 4); // no temporary file left behind
    }

    void aFailedSaveSaysWhatWasTriedAndKeepsTheOldFile() {
        const QString missing = at("нет такой папки/a.png");
        QString error;
        QVERIFY(!SavePicture(picture.get(), missing, &error));
        QVERIFY2(error.startsWith("Не удалось сохранить картинку в " + missing + ": "),
                 qPrintable(error));
        QVERIFY(error.size() > QString("Не удалось сохранить картинку в " + missing + ": ").size());

        // A picture that cannot be drawn fails after the file was opened: the old file stays.
        Write(at("old.png"), "old bytes");
        QLabel nothing;
        nothing.resize(0, 0);
        error.clear();
        QVERIFY(!SavePicture(&nothing, at("old.png"), &error));
        QVERIFY2(error.startsWith("Не удалось сохранить картинку в " + at("old.png")),
                 qPrintable(error));
        QCOMPARE(Contents(at("old.png")), QByteArray("old bytes"));
        QCOMPARE(files(), QStringList{"old.png"});
    }

    void theChooserDecidesWhereAndCancelWritesNothing() {
        chooser.Answer.clear();
        QVERIFY(!SavePictureAs(picture.get(), "разброс"));
        QCOMPARE(chooser.Asked, 1);
        QCOMPARE(chooser.Suggested, QString("разброс.png"));
        QVERIFY(chooser.Filter.contains("*.png") && chooser.Filter.contains("*.svg"));
        QVERIFY(files().isEmpty());
        QVERIFY(test::Messages().Texts.isEmpty());

        chooser.Answer = at("c.svg");
        QVERIFY(SavePictureAs(picture.get(), "разброс"));
        QVERIFY(QSvgRenderer(at("c.svg")).isValid());
        QVERIFY(test::Messages().Texts.isEmpty());

        const QString missing = at("нет/c.png");
        chooser.Answer = missing;
        QVERIFY(!SavePictureAs(picture.get(), "разброс"));
        QCOMPARE(test::Messages().Texts.size(), 1);
        QVERIFY2(test::Messages().Texts[0].startsWith("Не удалось сохранить картинку в " + missing),
                 qPrintable(test::Messages().Texts[0]));
        QCOMPARE(files(), QStringList{"c.svg"});
    }

    void copyPutsThePictureOnTheClipboard() {
        QApplication::clipboard()->clear();
        CopyPicture(picture.get());
        QCOMPARE(QApplication::clipboard()->image().size(), picture->size());
    }
};

KVARLEN_UI_TEST_MAIN(TChartExportTest)
#include "chart_export_test.moc"
