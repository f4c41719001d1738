// The exported C entry points of libMorphex.so.
#include "CommandRunner.h"
#include "ConvertCommand.h"
#include "ImageCommandAbi.h"

namespace {
pivra::imagelib::PerThreadMessage& lastError() {
    static pivra::imagelib::PerThreadMessage messages;
    return messages;
}
}  // namespace

extern "C" int fnMorphex(int argc, char** argv) {
    return pivra::imagelib::runCommand(argc, argv, pivra::imagelib::convertCommand, lastError());
}

extern "C" const char* fnMorphexLastError(void) { return lastError().get(); }
