// The decisions behind choosing, dropping and saving an icon source, as plain
// values the main window applies to its controls.
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// How the index box is set up for an executable source with `groups` icon
// groups. Equal bounds leave the value unlimited.
struct IndexBoxSetup {
  int min = 0;
  int max = 0;
  bool enabled = false;
  bool preview_index = false;  // preview the icon at index 0 through the index box
  bool save_enabled = false;
  bool show_preview = false;   // show the file's shell icon
};

// Chosen with the open dialog: a file with one group gets the range 0 to 1 and
// one without groups equal bounds; the box and the save button are always on.
IndexBoxSetup ChosenExecutableSetup(int groups);
// Dropped on the window: the range covers exactly the groups, the box is on
// only when there is something to step through.
IndexBoxSetup DroppedExecutableSetup(int groups);

// "app.ico" for C:\Tools\app.exe; "icon.ico" when the name has nothing before
// its extension.
std::string ProposedIconFileName(std::string_view source);

// "Image_" + the short date + "_hh-mm-ss". Characters a file name cannot hold
// (the "/" of many date formats) become "-".
std::string IconCopyFileName(std::string_view short_date, int hour, int minute, int second);

}  // namespace vandrel
