// The exported C entry points of libLayerik.so.
#include <string>

#include "CommandRunner.h"
#include "CompositeCommand.h"
#include "ImageCommandAbi.h"

namespace {
thread_local std::string lastError;
}

extern "C" int fnLayerik(int argc, char** argv) {
    return pivra::imagelib::runCommand(argc, argv, pivra::imagelib::compositeCommand, lastError);
}

extern "C" const char* fnLayerikLastError(void) { return lastError.c_str(); }
