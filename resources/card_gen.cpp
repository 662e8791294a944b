// Build-time tool: writes every card picture as PNG into the folder given on the command line.
// Usage: kvarlen_cardgen <folder>
#include "card_art.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <utility>
#include <vector>

namespace {

bool IsOutline(QRgb c) {
    return qAlpha(c) == 255 && qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0;
}

// The card control fills from the corners up to the black outline; a gap in the outline would
// flood the whole face, so refuse to write such a picture.
bool OutlineIsClosed(const QImage& img) {
    const int w = img.width(), h = img.height();
    std::vector<char> seen(static_cast<size_t>(w * h), 0);
    std::deque<std::pair<int, int>> todo = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
    while (!todo.empty()) {
        auto [x, y] = todo.front();
        todo.pop_front();
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        char& s = seen[static_cast<size_t>(y * w + x)];
        if (s || IsOutline(img.pixel(x, y))) continue;
        s = 1;
        todo.push_back({x + 1, y});
        todo.push_back({x - 1, y});
        todo.push_back({x, y + 1});
        todo.push_back({x, y - 1});
    }
    return !seen[static_cast<size_t>((h / 2) * w + w / 2)];
}

bool Save(const QImage& img, const QDir& dir, const QString& name, bool checkOutline) {
    if (checkOutline && !OutlineIsClosed(img)) {
        std::fprintf(stderr, "kvarlen_cardgen: outline of %s is not closed\n", qPrintable(name));
        return false;
    }
    const QString path = dir.filePath(name + ".png");
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "kvarlen_cardgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvarlen_cardgen <folder>\n");
        return 2;
    }
    // Fonts need a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(".")) {
        std::fprintf(stderr, "kvarlen_cardgen: cannot create %s\n", argv[1]);
        return 1;
    }
    using namespace kvarlen::art;
    bool ok = true;
    for (int suit = 1; suit <= 4; ++suit)
        for (int value = 1; value <= 13; ++value) {
            ok &= Save(DrawFace(suit, value, kFaceWidth, kFaceHeight), dir, FaceName(suit, value),
                       true);
            ok &= Save(DrawFace(suit, value, kSmallWidth, kSmallHeight), dir,
                       SmallFaceName(suit, value), true);
        }
    for (int design = 0; design < kBackCount; ++design)
        ok &= Save(DrawBack(design, kFaceWidth, kFaceHeight), dir, BackName(design), true);
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
