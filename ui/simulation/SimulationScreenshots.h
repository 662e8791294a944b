// Pictures of the simulation page for --screenshot: a run with its progress bar, a seeded run
// on two threads with the report's first line, the trace window stepping by itself, and the
// bank chart as saved to PNG and SVG.
#pragma once

#include <QString>

namespace kvarlen {

struct TProgram;

// False when a picture could not be written. The runs write their files into a scratch folder.
bool SaveSimulationScreenshots(TProgram& program, const QString& folder);

} // namespace kvarlen
