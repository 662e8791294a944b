// TForm3: the trace window. For now only the window itself; the drawing of a deal and the wait
// come with the simulation page.
#pragma once

#include <QWidget>

class QFrame;
class QLabel;

namespace kvarlen {

class TForm3 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm3(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
};

} // namespace kvarlen
