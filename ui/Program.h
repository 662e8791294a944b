// The program's three windows, created in their order: the main window, the card picker and
// the trace window.
#pragma once

#include "ui/MainWindow.h"
#include "ui/layout/CardPicker.h"
#include "ui/simulation/TraceUnit.h"

#include <QString>

namespace kvarlen {

struct TProgram {
    TProgram();
    TForm1 Form1;
    TForm2 Form2;
    TForm3 Form3;
};

// Application-wide settings made once, right after the application object: the program's name
// (and no display name, which the window system would add to every window title), the C
// number format for the files and Qt's Russian texts of the standard buttons and dialogs.
// Called again it changes nothing.
void SetUpApplication();

// Saves a picture of every page of the main window and of the picker into folder (PNG), then
// runs the four analyses and the bankroll figures and pictures those pages again, and last a
// traced strategy run (the trace window, the report, the bank chart), an ideal run and the exact
// page after its runs. Returns
// false when a picture could not be written.
bool SaveScreenshots(TProgram& program, const QString& folder);

} // namespace kvarlen
