#pragma once
// What the stand-in image library remembers; the tests read it directly.
#include <string>
#include <vector>

struct FakeCall {
    std::vector<std::string> args;
    bool tailIsZero;   // entries after argc are null
    std::string cwd;   // the current folder during the call
    std::string input; // what argv[1] read, if it could be read
};
struct FakeImageLibState {
    std::vector<FakeCall> calls;
    bool writes = true;  // false: no command writes its output
};
