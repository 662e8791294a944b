#include "ui/common/CardPictures.h"

#include <utility>
#include <vector>

namespace kvarlen {

QPixmap LoadCardPicture(const QString& name) {
    QPixmap pixmap;
    if (!name.isEmpty()) pixmap.load(QStringLiteral(":/cards/") + name, "PNG");
    return pixmap;
}

namespace {
bool IsBorder(QRgb c) {
    return qAlpha(c) == 255 && (c & 0x00FFFFFFu) == 0;
}
} // namespace

void FillOutsideOutline(QImage& image, const QColor& colour) {
    if (image.isNull()) return;
    if (image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width(), h = image.height();
    const QRgb fill = colour.rgba();
    std::vector<char> seen(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    std::vector<std::pair<int, int>> stack = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        char& s = seen[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
        if (s) continue;
        s = 1;
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (IsBorder(line[x])) continue;
        line[x] = fill;
        stack.push_back({x + 1, y});
        stack.push_back({x - 1, y});
        stack.push_back({x, y + 1});
        stack.push_back({x, y - 1});
    }
}

} // namespace kvarlen
