#include "ui/TraceUnit.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace kvarlen {

TForm3::TForm3(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("Form3");
    setWindowTitle("Trace");
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(431, 530);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel1 = new QFrame;
    Panel1->setObjectName("Panel1");
    layout->addWidget(Panel1);
    Image1 = new QLabel(Panel1);
    Image1->setObjectName("Image1");
    Image1->setGeometry(8, 8, 392, 451);
}

} // namespace kvarlen
