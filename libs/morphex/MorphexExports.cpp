// The exported C entry points of libMorphex.so.
#include <string>

#include "CommandRunner.h"
#include "ConvertCommand.h"
#include "ImageCommandAbi.h"

namespace {
thread_local std::string lastError;
}

extern "C" int fnMorphex(int argc, char** argv) {
    return pivra::imagelib::runCommand(argc, argv, pivra::imagelib::convertCommand, lastError);
}

extern "C" const char* fnMorphexLastError(void) { return lastError.c_str(); }
