// What the real tessella leaves on disk when something goes wrong: signals, a file-size
// limit, links in the output tree, odd bitmap paths, a bitmap still being copied, two runs
// at once. One table of scenarios; each ends with the same checks: no file with a final
// name is cut, no index stands over a partial map, nothing outside the output folder
// changed, and a plain run afterwards makes the whole map.

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include "ProcessRunner.h"
#include "TempFolder.h"
#include "TestBitmap.h"

namespace fs = std::filesystem;

namespace {

#ifndef TESSELLA_CLI_DEFAULT
#define TESSELLA_CLI_DEFAULT "tessella"
#endif

constexpr int32_t kWidth = 16000;  // 100 x 5 tiles: long enough to be stopped midway
constexpr int32_t kHeight = 800;

// Into outputDir (relative to out/, where the command runs), or beside the bitmap when "".
std::vector<std::string> convertArgs(const std::string& bitmap, const std::string& outputDir = ".") {
    std::vector<std::string> args = {TESSELLA_CLI_DEFAULT, "convert", bitmap, "--name", "SAFE", "--folder",
                                     "area01", "--top-left", "35:40:0,139:45:0", "--bottom-right",
                                     "35:39:0,139:46:0", "--east-west", "1852", "--north-south", "926"};
    if (!outputDir.empty()) args.insert(args.end(), {"--output-dir", outputDir});
    return args;
}

class Scene {
public:
    Scene() {
        fs::create_directories(root() / "in");
        fs::create_directories(root() / "out");
        fs::create_directories(root() / "elsewhere");
        writeFile((root() / "elsewhere" / "bystander.txt").string(), {'k', 'e', 'e', 'p'});
        writeFile(bitmap().string(), picture());
    }

    fs::path root() const { return folder_.path(); }
    fs::path out() const { return root() / "out"; }
    fs::path bitmap() const { return root() / "in" / "map.bmp"; }

    static const std::vector<uint8_t>& picture() {
        static const std::vector<uint8_t> bytes = makeBitmap(kWidth, kHeight, patternPixel);
        return bytes;
    }

    ProcessResult run(const std::vector<std::string>& args) { return runProcess(args, out().string()); }

    // Every entry outside out/, with what it holds.
    std::map<std::string, std::string> outside() const {
        std::map<std::string, std::string> entries;
        for (auto it = fs::recursive_directory_iterator(root()); it != fs::recursive_directory_iterator(); ++it) {
            std::string name = it->path().lexically_relative(root()).string();
            if (name == "out") {
                it.disable_recursion_pending();
                continue;
            }
            entries[name] = it->is_symlink() ? "link" : it->is_directory() ? "folder" : std::to_string(fs::file_size(it->path()));
        }
        return entries;
    }

    // Every tile is whole, and an index only stands over all 500. Temporaries are left
    // only by a run that was killed outright, and the next run removes them.
    void expectNothingCut(const std::string& where, bool temporariesAllowed) const {
        int tiles = 0;
        bool index = false;
        for (const auto& e : fs::recursive_directory_iterator(out())) {
            if (e.is_symlink() || !e.is_regular_file()) continue;
            std::string name = e.path().filename().string();
            EXPECT_TRUE(temporariesAllowed || !name.ends_with(".part")) << where << ": " << e.path();
            if (name.ends_with(".map")) {
                EXPECT_EQ(e.file_size(), 25760u) << where << ": " << e.path();
                ++tiles;
            }
            if (name == "area01.vlm") index = true;
        }
        if (index) {
            EXPECT_EQ(tiles, 500) << where << ": an index stands over a partial map";
        }
    }

private:
    TempFolder folder_;
};

struct Scenario {
    const char* name;
    // Runs the troubled conversion and checks what is special to it.
    std::function<void(Scene&)> trouble;
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

// Waits until the run has put its first tile in place, then a moment more.
void waitForFirstTile(Scene& scene) {
    static std::mt19937 random(std::random_device{}());
    fs::path first = scene.out() / "area01/layer1/level000/smpl000000.map";
    for (int i = 0; i < 20000 && !fs::exists(first); ++i) std::this_thread::sleep_for(std::chrono::microseconds(100));
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 3000)(random)));
}

std::function<void(Scene&)> stopWith(int signal, int exitCode) {
    return [signal, exitCode](Scene& scene) {
        StartedProcess process = startProcess(convertArgs(scene.bitmap().string()), scene.out().string());
        waitForFirstTile(scene);
        ::kill(process.pid, signal);
        ProcessResult result = finishProcess(process);
        ASSERT_EQ(result.exitCode, exitCode) << result.err;
        if (signal != SIGKILL) {
            EXPECT_NE(result.err.find("tessella: interrupted: no map was made in "), std::string::npos) << result.err;
        }
        EXPECT_FALSE(fs::exists(scene.out() / "area01.vlm"));
    };
}

std::function<void(Scene&)> linkAt(const char* place) {
    return [place](Scene& scene) {
        fs::path at = scene.out() / place;
        fs::create_directories(at.parent_path());
        fs::create_directories(scene.root() / "elsewhere" / "target");
        fs::create_symlink(scene.root() / "elsewhere" / "target", at);
        ProcessResult result = scene.run(convertArgs(scene.bitmap().string()));
        EXPECT_EQ(result.exitCode, 5) << result.err;
        EXPECT_TRUE(fs::is_empty(scene.root() / "elsewhere" / "target")) << "a write went through the link";
        fs::remove(at);
        fs::remove(scene.root() / "elsewhere" / "target");
    };
}

const Scenario kScenarios[] = {
    {"interrupted", stopWith(SIGINT, 130)},
    {"terminated", stopWith(SIGTERM, 143)},
    {"hung up", stopWith(SIGHUP, 129)},
    {"killed", stopWith(SIGKILL, 137)},
    {"file size limit",
     [](Scene& scene) {
         StartedProcess process = startProcess(convertArgs(scene.bitmap().string()), scene.out().string(), 20000);
         ProcessResult result = finishProcess(process);
         EXPECT_EQ(result.exitCode, 5) << result.err;
         EXPECT_NE(result.err.find("tessella: area01/layer1/level000/smpl000000.map: "), std::string::npos)
             << result.err;
     }},
    {"link at the folder", linkAt("area01")},
    {"link at layer1", linkAt("area01/layer1")},
    {"link at a level folder", linkAt("area01/layer1/level002")},
    {"bitmap named through a link and ..",
     [](Scene& scene) {
         // link/../map.bmp is the map.bmp beside the link's target, not beside the link.
         fs::create_directories(scene.root() / "elsewhere" / "deep" / "target");
         fs::copy_file(scene.bitmap(), scene.root() / "elsewhere" / "deep" / "map.bmp");
         fs::create_symlink(scene.root() / "elsewhere" / "deep" / "target", scene.root() / "in" / "link");
         ProcessResult result = scene.run(convertArgs((scene.root() / "in" / "link" / ".." / "map.bmp").string(), ""));
         EXPECT_EQ(result.exitCode, 0) << result.err;
         EXPECT_TRUE(fs::exists(scene.root() / "elsewhere" / "deep" / "area01.vlm"));
         EXPECT_FALSE(fs::exists(scene.root() / "in" / "area01.vlm"));
         fs::remove_all(scene.root() / "elsewhere" / "deep");
         fs::remove(scene.root() / "in" / "link");
         // A path through a folder that is not there names no bitmap at all.
         ProcessResult ghost = scene.run(convertArgs((scene.root() / "in" / "ghost" / ".." / "map.bmp").string(), ""));
         EXPECT_EQ(ghost.exitCode, 3) << ghost.err;
         EXPECT_FALSE(fs::exists(scene.root() / "in" / "ghost"));
     }},
    {"bitmap still being copied while the output folder is missing",
     [](Scene& scene) {
         // Each run sees the bitmap short (refused, nothing made) or whole (the map made in
         // the folder asked for); never anything in the folder the command runs in.
         const std::vector<uint8_t>& bytes = Scene::picture();
         fs::path growing = scene.root() / "in" / "growing.bmp";
         std::thread copier([&] {
             for (size_t done = 0; done < bytes.size(); done += bytes.size() / 8) {
                 std::vector<uint8_t> part(bytes.begin(), bytes.begin() + std::min(bytes.size(), done + bytes.size() / 8));
                 writeFile(growing.string() + ".tmp", part);
                 fs::rename(growing.string() + ".tmp", growing);
                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
             }
         });
         for (int i = 0; i < 12; ++i) {
             ProcessResult result = scene.run(convertArgs(growing.string(), "made"));
             EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 3) << result.err;
             EXPECT_FALSE(fs::exists(scene.out() / "area01.vlm"));
             if (result.exitCode == 0) break;
         }
         copier.join();
         fs::remove(growing);
         fs::remove_all(scene.out() / "made");
     }},
    {"bitmap standing where a tile goes",
     [](Scene& scene) {
         fs::path level = scene.out() / "area01/layer1/level000";
         fs::create_directories(level);
         fs::copy_file(scene.bitmap(), level / "smpl000000.map");
         ProcessResult result = scene.run(convertArgs((level / "smpl000000.map").string()));
         EXPECT_EQ(result.exitCode, 5) << result.err;
         EXPECT_EQ(fs::file_size(level / "smpl000000.map"), Scene::picture().size()) << "the bitmap was replaced";
         EXPECT_FALSE(fs::exists(scene.out() / "area01.vlm"));
         fs::remove(level / "smpl000000.map");
     }},
    {"two runs at once",
     [](Scene& scene) {
         StartedProcess first = startProcess(convertArgs(scene.bitmap().string()), scene.out().string());
         StartedProcess second = startProcess(convertArgs(scene.bitmap().string()), scene.out().string());
         ProcessResult a = finishProcess(first), b = finishProcess(second);
         EXPECT_EQ((a.exitCode == 0) + (b.exitCode == 0), 1) << a.err << b.err;
         const ProcessResult& loser = a.exitCode == 0 ? b : a;
         EXPECT_EQ(loser.exitCode, 5);
         EXPECT_NE(loser.err.find("tessella: area01.vlm already exists"), std::string::npos) << loser.err;
         fs::remove(scene.out() / "area01.vlm");
     }},
};

class TroubledConversion : public ::testing::TestWithParam<Scenario> {};

TEST_P(TroubledConversion, LeavesNothingCutAndThePlainRunAfterItMakesTheMap) {
    Scene scene;
    auto outsideBefore = scene.outside();
    GetParam().trouble(scene);
    scene.expectNothingCut("after the trouble", std::string(GetParam().name) == "killed");
    EXPECT_EQ(scene.outside(), outsideBefore) << "something outside the output folder changed";

    ProcessResult plain = scene.run(convertArgs(scene.bitmap().string()));
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_TRUE(fs::exists(scene.out() / "area01.vlm"));
    scene.expectNothingCut("after the plain run", false);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, TroubledConversion, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

}  // namespace
