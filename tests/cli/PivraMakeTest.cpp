// pivra-make as a user runs it: one-line refusals, and the trace of a whole run
// against the golden command list.
#include "PivraMakeFixture.h"
#include "support/DeepFolder.h"
#include "support/GifInspect.h"

namespace pivra::test {
namespace {

using PivraMake = PivraMakeTest;

TEST_F(PivraMake, RefusalsGiveOneLineAndNoOutput) {
    std::ofstream(dir / "notes.jpg") << "these are words, not a picture\n";
    std::ofstream(dir / "empty.png").close();
    std::ofstream(dir / "broken.jpg", std::ios::binary) << "\xFF\xD8\xFF\xE0 then nothing useful";
    const std::string out = dir / "out.gif", deep = dir / "no/such/folder/out.gif";
    struct Case { std::vector<std::string> args; std::string output, mentions; };
    const Case cases[] = {
        {{dir / "nothere.jpg", tail, out}, out, dir / "nothere.jpg"},
        {{head, dir / "notes.jpg", out}, out, "not a JPEG"},
        {{dir / "empty.png", tail, out}, out, "empty"},
        {{dir.str(), tail, out}, out, "not a file"},
        {{dir / "broken.jpg", tail, out}, out, "head picture could not be read"},
        {{head, tail, deep}, deep, "no such folder"},
        {{head, tail, out, "--scale", "51"}, out, "1 to 50"},
        {{head, tail, out, "--scale", "16x"}, out, "1 to 50"},
        {{head, tail, out, "--scale"}, out, "needs a value"},
        {{head, tail, out, "--colour"}, out, "--colour"},
        {{head, tail}, out, "HEAD TAIL OUTPUT.gif"},
        // Each kind by its ending, and each option only where it means something.
        {{head, tail, dir / "out.jpg"}, dir / "out.jpg", ".gif, .webp or .png"},
        {{head, tail, dir / "out.webp", "--quality", "101"}, dir / "out.webp", "0 to 100"},
        {{head, tail, out, "--quality", "80"}, out, "--quality is for a .webp"},
        {{head, tail, dir / "out.png", "--lossless"}, dir / "out.png", "--lossless is for a .webp"},
        {{head, tail, out, "--matte", "chartreuse"}, out, "basic colour name"},
        {{head, tail, dir / "out.webp", "--matte", "navy"}, dir / "out.webp", "--matte is for a .gif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mentions);
        const ProcessResult r = make(c.args);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(c.output));
        EXPECT_TRUE(std::filesystem::is_empty(tmp.str())) << "private working folder left behind";
    }
}

TEST_F(PivraMake, WholeRunWithTrace) {
    // Relative picture paths are made absolute; standard error is not a terminal: no bar.
    const ProcessResult r =
        RunProcess({"/bin/sh", "-c", "cd '" + dir.str() + "' && '" + kMake + "' head.png tail.jpg spin.gif --trace"}, env());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<CommandLine> trace = Traced(r.out);
    ASSERT_EQ(trace.size(), 141u);
    // The private working folder, with the installation files copied into it.
    const std::string app = trace[0].at(1).substr(0, trace[0].at(1).size() - std::string("pre_mask.bmp").size());
    ASSERT_EQ(app.rfind(tmp.str() + "/pivra-make-", 0), 0u) << app;
    EXPECT_EQ(trace, golden(app));
    const GifInfo info = ReadGifStructure(dir / "spin.gif");
    EXPECT_EQ(std::make_pair(info.frames.size(), info.screenWidth), std::make_pair(size_t{50}, 192));
    EXPECT_TRUE(std::filesystem::is_empty(tmp.str()));
}

// Folders of any length: the pictures 1000 bytes deep, a long $TMPDIR or
// --workdir. The coin is the one built from ordinary folders, the pictures
// are untouched and nothing is left behind.
TEST_F(PivraMake, LongFoldersBuildTheSameCoin) {
    namespace fs = std::filesystem;
    const std::string ordinaryWork = dir / "work";
    ASSERT_EQ(make({head, tail, dir / "ordinary.gif", "--scale", "2", "--workdir", ordinaryWork}).exitCode, 0);
    const std::string deep = DeepFolder(dir / "deep", 1000 - std::string("/head.png").size());
    const std::string deepHead = deep + "/head.png", deepTail = deep + "/tail.jpg";
    fs::copy_file(head, deepHead);
    fs::copy_file(tail, deepTail);
    const auto yesterday = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (const std::string& p : {deepHead, deepTail}) fs::last_write_time(p, yesterday);
    ASSERT_EQ(deepHead.size(), 1000u);

    TempFolder longRoots{"make-long"};
    const std::string longTmp = DeepFolder(longRoots / "tmp", 200), workdir = DeepFolder(longRoots / "work", 200);
    const std::string out = dir / "long.gif";
    struct Case { const char* what; std::vector<std::string> args; std::string tmpdir; };
    const Case cases[] = {
        {"pictures", {deepHead, deepTail, out, "--scale", "2"}, tmp.str()},
        {"TMPDIR", {head, tail, out, "--scale", "2"}, longTmp},
        {"workdir", {head, tail, out, "--scale", "2", "--workdir", workdir}, tmp.str()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(out);
        const ProcessResult r = RunProcess(withMake(c.args), {"TMPDIR=" + c.tmpdir});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(fs::exists(out) && FileContents(out) == FileContents(dir / "ordinary.gif"));
        EXPECT_TRUE(fs::is_empty(c.tmpdir)) << "private working folder left behind";
    }
    EXPECT_EQ(NamesIn(workdir), NamesIn(ordinaryWork));
    for (const auto& [copy, original] : {std::pair{deepHead, head}, {deepTail, tail}}) {
        EXPECT_TRUE(FileContents(copy) == FileContents(original)) << copy;
        EXPECT_EQ(fs::last_write_time(copy), yesterday) << copy;
    }
}

// WebP and APNG are rendered from the face copies alone: the GIF build's own
// first two commands, and nothing else runs.
TEST_F(PivraMake, WebpAndPngRunOnlyTheGifBuildsFaceCopies) {
    for (const char* name : {"spin.webp", "spin.PNG"}) {
        SCOPED_TRACE(name);
        const ProcessResult r = make({head, tail, dir / name, "--trace"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::vector<CommandLine> trace = Traced(r.out);
        ASSERT_EQ(trace.size(), 2u);
        const std::string app = trace[0].back().substr(0, trace[0].back().size() - std::string("Masks/ImagA.gif").size());
        const std::vector<CommandLine> faces = golden(app);
        EXPECT_EQ(trace, std::vector<CommandLine>(faces.begin() + 4, faces.begin() + 6));
        const std::string bytes = FileContents(dir / name);
        EXPECT_TRUE(std::string(name) == "spin.webp" ? bytes.substr(8, 4) == "WEBP" : bytes.substr(1, 3) == "PNG");
        EXPECT_TRUE(std::filesystem::is_empty(tmp.str()));
    }
}

}  // namespace
}  // namespace pivra::test
