#include "RunProcess.h"

#include "ChildProcess.h"

namespace pivra::test {

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    return ChildProcess(argv, extraEnv).finish();
}

}  // namespace pivra::test
