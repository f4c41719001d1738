#pragma once
// Runs the bridge against the recording stand-in library in a fresh folder.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imagecmd/ImageCommands.h"
#include "platform/FileSystem.h"
#include "support/RecordingNotifier.h"

namespace pivra::test {

class FakeLibFixture : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(FAKE_LIB_DIR "/libFakeImageLib.so", RTLD_NOW);
        ASSERT_NE(handle_, nullptr) << dlerror();
        reset_ = reinterpret_cast<void (*)(int)>(dlsym(handle_, "fakeReset"));
        count_ = reinterpret_cast<int (*)()>(dlsym(handle_, "fakeCallCount"));
        args_ = reinterpret_cast<const std::vector<std::string>* (*)(int)>(dlsym(handle_, "fakeArgs"));
        argvAddress_ = reinterpret_cast<const void* (*)(int)>(dlsym(handle_, "fakeArgvAddress"));
        tailIsZero_ = reinterpret_cast<bool (*)(int)>(dlsym(handle_, "fakeTailIsZero"));
        reset_(1);
        dir_ = std::filesystem::temp_directory_path() /
               ("pivra-imagecmd-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        if (handle_) dlclose(handle_);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    int calls() const { return count_(); }
    std::vector<std::string> args(int call) const { return *args_(call); }
    const void* argvAddress(int call) const { return argvAddress_(call); }
    bool tailIsZero(int call) const { return tailIsZero_(call); }
    void writeOnCall(int n) { reset_(n); }

    int16_t i_size = 192;
    FileSystem fso;
    RecordingNotifier notifier;
    ImageCommands commands{i_size, fso, ImageLibraryFiles{FAKE_LIB_DIR, "libFakeImageLib.so", "libFakeImageLib.so"}};
    std::filesystem::path dir_;

private:
    void* handle_ = nullptr;
    void (*reset_)(int) = nullptr;
    int (*count_)() = nullptr;
    const std::vector<std::string>* (*args_)(int) = nullptr;
    const void* (*argvAddress_)(int) = nullptr;
    bool (*tailIsZero_)(int) = nullptr;
};

}  // namespace pivra::test
