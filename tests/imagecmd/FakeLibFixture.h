#pragma once
// Runs the bridge against the recording stand-in library in a fresh folder.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FakeImageLib.h"
#include "imagecmd/ImageCommands.h"
#include "platform/FileSystem.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"

namespace pivra::test {

class FakeLibFixture : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(FAKE_LIB_DIR "/libFakeImageLib.so", RTLD_NOW);
        ASSERT_NE(handle_, nullptr) << dlerror();
        fake_ = reinterpret_cast<FakeImageLibState* (*)()>(dlsym(handle_, "fakeState"))();
        writeOnCall(1);
    }
    void TearDown() override {
        if (handle_) dlclose(handle_);
    }

    std::string path(const std::string& name) const { return folder / name; }
    int calls() const { return static_cast<int>(fake_->calls.size()); }
    const std::vector<std::string>& args(int call) const { return fake_->calls.at(call).args; }
    const FakeCall& call(int n) const { return fake_->calls.at(n); }
    void writeOnCall(int n) { *fake_ = FakeImageLibState{{}, n, 0}; }

    TempFolder folder{"imagecmd"};
    int16_t i_size = 192;
    FileSystem fso;
    RecordingNotifier notifier;
    ImageCommands commands{i_size, fso, ImageLibraryFiles{FAKE_LIB_DIR, "libFakeImageLib.so", "libFakeImageLib.so"}};

private:
    void* handle_ = nullptr;
    FakeImageLibState* fake_ = nullptr;
};

}  // namespace pivra::test
