// pivra-make: builds a spinning-coin GIF from two pictures without a window.
#include <unistd.h>

#include <cstdio>

#include "PivraVersion.h"

#include "MakeOptions.h"
#include "MakeRun.h"
#include "PrivateFolder.h"
#include "platform/AppFolders.h"
#include "platform/PictureMemory.h"
#include "StopSignals.h"
#include "TraceStream.h"

int main(int argc, char** argv) {
    pivra::KeepPictureBuffersForReuse();
    pivra::CatchStopSignals();
    std::string error;
    const auto options = pivra::ParseMakeOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "pivra-make: %s (try 'pivra-make --help')\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(pivra::kMakeUsage, stdout);
        const pivra::AppFolders folders = pivra::LocateAppFolders();
        std::printf("\nFolders:\n"
                    "  installation files  %s\n"
                    "  image libraries     %s\n"
                    "  working folder      a private one in %s, removed at the end, or --workdir DIR\n"
                    "  the window's Work   %sWork\n",
                    folders.installFiles.c_str(), folders.libraries.c_str(), pivra::TemporaryRoot().c_str(),
                    folders.workRoot.c_str());
        return 0;
    }
    if (options->version) {
        std::puts("pivra-make " PIVRA_VERSION_STRING);
        return 0;
    }
    pivra::TraceStream trace(STDOUT_FILENO);
    return pivra::RunPivraMake(*options, trace);
}
