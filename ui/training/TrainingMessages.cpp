#include "ui/training/TrainingMessages.h"

#include "training/training_history.h"

#include <QDir>

namespace kvarlen {

using training::THistoryError;
using training::THistoryProblem;

QString HistoryErrorText(const std::exception& e) {
    const auto* error = dynamic_cast<const THistoryError*>(&e);
    if (error == nullptr) return QString::fromStdString(e.what());
    const QString path = "«" + QDir::toNativeSeparators(QString::fromStdString(error->Path)) + "»";
    const QString detail = QString::fromStdString(error->Detail);
    const QString history = " историю тренажёра " + path + ": " + detail;
    switch (error->Problem) {
    case THistoryProblem::IsFolder:
        return path + " — папка, а не файл истории";
    case THistoryProblem::NotSqlite:
        return path + " — не история тренажёра: " +
               (detail.isEmpty() ? QString("это не база SQLite") : "SQLite отвечает: " + detail);
    case THistoryProblem::NotOurs:
        return path + " — база SQLite, но не история тренажёра Кварлена";
    case THistoryProblem::Newer:
        return path + QString(" записан более новой программой: версия схемы %1, а эта программа "
                              "знает версии до %2")
                          .arg(detail)
                          .arg(training::kSchemaVersion);
    case THistoryProblem::Changed:
        return path + " изменился, пока его открывали";
    case THistoryProblem::CreateFolder:
        return "не удается создать папку " + path + ": " + detail;
    case THistoryProblem::Open:
        return "не удается открыть" + history;
    case THistoryProblem::Read:
        return "не удается прочитать" + history;
    case THistoryProblem::Prepare:
        return "не удается подготовить к записи" + history;
    case THistoryProblem::Write:
        return "не удается записать в" + history;
    }
    return QString::fromStdString(e.what());
}

} // namespace kvarlen
