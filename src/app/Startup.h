// What the program does once as it starts, before the main window is shown.
#pragma once

namespace kelva {

class App;

// Makes sure the working directory (Directory; by default ~/kelvaspec) exists and holds the
// bundled default database and the example problems, never overwriting a file the user has
// there.
void prepareWorkingDirectory(App& app);

} // namespace kelva
