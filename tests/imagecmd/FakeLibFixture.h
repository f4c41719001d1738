#pragma once
// Runs the bridge against the recording stand-in library in a fresh folder.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "FakeImageLib.h"
#include "imagecmd/ImageCommands.h"
#include "platform/FileSystem.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"

namespace pivra::test {

class FakeLibFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(handle_, nullptr) << dlerror();
        fake_ = reinterpret_cast<FakeImageLibState* (*)()>(dlsym(handle_, "fakeState"))();
        reset();
    }
    void TearDown() override { if (handle_) dlclose(handle_); }

    int calls() const { return static_cast<int>(fake_->calls.size()); }
    const FakeCall& call(int n) const { return fake_->calls.at(n); }
    const std::vector<std::string>& args(int n) const { return call(n).args; }
    void reset(bool writes = true) { *fake_ = FakeImageLibState{{}, writes}; }

    void* handle_ = dlopen(FAKE_LIB_DIR "/libFakeImageLib.so", RTLD_NOW);
    FakeImageLibState* fake_ = nullptr;
    TempFolder folder{"imagecmd"};
    int16_t i_size = 192;
    FileSystem fso;
    RecordingNotifier notifier;
    ImageCommands commands{i_size, fso, ImageLibraryFiles{FAKE_LIB_DIR, "libFakeImageLib.so", "libFakeImageLib.so"}};
};

}  // namespace pivra::test
