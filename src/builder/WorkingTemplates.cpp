#include "WorkingTemplates.h"

#include "builder/PivraState.h"
#include "imagecmd/ImageCommands.h"

namespace pivra {

void MakeWorkingTemplates(ImageCommands& commands, const PivraState& state, const std::string& installFolder) {
    for (const TemplateFile& t : kTemplates)
        commands.RunConvert(installFolder + t.source, state.AppStr + t.working, state.i_size, Resize);
}

}  // namespace pivra
