#pragma once
// The expected outcome of every input kept in a regression folder, from its
// manifest ("expected.txt"): one line a file,
//   <file> refused <fragment of the reason>
//   <file> pixels <width>x<height> <checksum>
// "#" starts a comment. Every file must have a line, every line a file.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace pivra::test {

struct KeptOutcome {
    bool refused = false;
    std::string detail;  // the reason's fragment, or "WxH checksum"
};

// Relative file name -> outcome.
inline std::map<std::string, KeptOutcome> ReadManifest(const std::string& folder) {
    std::map<std::string, KeptOutcome> out;
    std::ifstream in(folder + "/expected.txt");
    EXPECT_TRUE(in) << folder << "/expected.txt";
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string file, kind, rest;
        words >> file >> kind >> std::ws;
        std::getline(words, rest);
        EXPECT_TRUE((kind == "refused" || kind == "pixels") && !rest.empty()) << line;
        EXPECT_TRUE(out.emplace(file, KeptOutcome{kind == "refused", rest}).second) << "twice: " << file;
    }
    return out;
}

// The manifest and the folder (with its subfolders) name the same files.
inline void ExpectManifestMatchesFolder(const std::map<std::string, KeptOutcome>& manifest, const std::string& folder) {
    std::set<std::string> listed, kept;
    for (const auto& [file, outcome] : manifest) listed.insert(file);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name[0] != '.' && name != "expected.txt")
            kept.insert(std::filesystem::relative(entry.path(), folder).string());
    }
    EXPECT_EQ(kept, listed) << "every kept input needs a line in " << folder << "/expected.txt, and every line a file";
    EXPECT_FALSE(listed.empty()) << folder;
}

// FNV-1a, 64 bits, over the size and the pixel bytes.
inline std::string PixelChecksum(std::int64_t width, std::int64_t height, const std::uint8_t* bytes, std::size_t size) {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint8_t b) { h = (h ^ b) * 1099511628211ull; };
    for (int i = 0; i < 16; ++i) mix(std::uint8_t((i < 8 ? width : height) >> 8 * (i % 8)));
    for (std::size_t i = 0; i < size; ++i) mix(bytes[i]);
    std::ostringstream text;
    text << width << "x" << height << " " << std::hex << h;
    return text.str();
}

}  // namespace pivra::test
