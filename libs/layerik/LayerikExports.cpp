// The exported C entry points of libLayerik.so.
#include "CommandRunner.h"
#include "CompositeCommand.h"
#include "ImageCommandAbi.h"

namespace {
pivra::imagelib::PerThreadMessage& lastError() {
    static pivra::imagelib::PerThreadMessage messages;
    return messages;
}
}  // namespace

extern "C" int fnLayerik(int argc, char** argv) {
    return pivra::imagelib::runCommand(argc, argv, pivra::imagelib::compositeCommand, lastError());
}

extern "C" const char* fnLayerikLastError(void) { return lastError().get(); }
