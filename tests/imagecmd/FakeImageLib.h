#pragma once
// What the stand-in image library remembers; the tests read it directly.
#include <string>
#include <vector>

struct FakeCall {
    std::vector<std::string> args;
    const void* argv;  // the block's address, to see a retry reuses it
    bool tailIsZero;   // entries after argc are null
    std::string cwd;   // the current folder during the call
    std::string input; // what argv[1] read, if it could be read
};
struct FakeImageLibState {
    std::vector<FakeCall> calls;
    int writeOnCall = 1;  // 0: never write; n: write only on the n-th call of a command
    int callsOfThisCommand = 0;
};
