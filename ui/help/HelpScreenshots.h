#pragma once

#include <QString>

namespace kvarlen {

class TForm1;

// help.png, help-full.png (the whole text), about.png and file-dialog.png into folder; false
// when a picture could not be written.
bool SaveHelpScreenshots(TForm1& form, const QString& folder);

} // namespace kvarlen
