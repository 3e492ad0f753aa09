#include "app/Startup.h"

#include "app/App.h"
#include "files/problemfile.h"

namespace kelva {

void prepareWorkingDirectory(App& app) {
    if (app.st().Directory.empty()) app.st().Directory = defaultDirectory();
}

} // namespace kelva
