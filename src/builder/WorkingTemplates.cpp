#include "WorkingTemplates.h"

#include "builder/BuildSteps.h"
#include "builder/PivraState.h"
#include "imagecmd/ImageCommands.h"

namespace pivra {

void MakeWorkingTemplates(ImageCommands& commands, const PivraState& state, const std::string& installFolder) {
    // Four files apart from each other: made side by side.
    BuildSteps steps(commands);
    {
        BuildSteps::Recording recording(steps);
        for (const TemplateFile& t : kTemplates)
            commands.RunConvert(installFolder + t.source, state.AppStr + t.working, state.i_size, Resize);
    }
    steps.run();
}

}  // namespace pivra
