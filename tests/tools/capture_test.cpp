// amber_capture on a short stretch around the soundtrack's start: the frame
// count, the soundtrack's place to the sample, the loading box that fills
// at 3 s in the stills, and the same frames from one player and from
// several; 1080p holds
// the same picture between black bars. Every tool answers --help and wrong
// arguments with its usage, and leaves an output that is no file as it was.
// A player that fails ends the capture without delay.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/velq2.h"
#include "engine/velq_play.h"
#include "headless/mp3_decode.h"
#include "tests/support/shell_quote.h"

namespace {

const std::string kDir = std::string(AMBER_BUILD_DIR) + "/capture_test/";

// What a command writes to its standard output, and its exit status.
std::string Output(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    char buf[4096];
    for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    const int ended = p ? pclose(p) : -1;
    if (status) *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
    return out;
}

// What ffmpeg writes to its standard output when reading file from kDir.
std::string Ffmpeg(const std::string& file, const std::string& output_options) {
    return Output("ffmpeg -v error -i " + TEST_Quote(kDir + file) + " " + output_options + " -");
}

// The capture command, run in kDir's folder sub: tests that run at the same
// time write their stills in folders of their own.
std::string Capture(const std::string& options, const std::string& sub = "") {
    return "cd " + TEST_Quote(kDir + sub) + " && " + TEST_Quote(AMBER_CAPTURE) + " " + options +
           " >/dev/null 2>&1";
}

// Every tool's program, as AMBER_TOOLS lists them between bars.
std::vector<std::string> Tools() {
    std::vector<std::string> tools;
    std::istringstream list(AMBER_TOOLS);
    for (std::string tool; std::getline(list, tool, '|');) tools.push_back(tool);
    return tools;
}

// The lag, in sample frames, at which the left channel of a differs least
// from the track's, over a stretch from 0.1 s into the track.
int64_t BestLag(const std::vector<int16_t>& a, const std::vector<int16_t>& track, int64_t around) {
    int64_t best = -1;
    double least = INFINITY;
    for (int64_t lag = around - 2000; lag <= around + 2000; ++lag) {
        double sum = 0;
        for (int64_t i = 4410; i < 4410 + 11025; ++i)
            sum += std::pow(double(a.at(2 * (lag + i))) - track[2 * i], 2);
        if (sum < least) least = sum, best = lag;
    }
    return best;
}

TEST(Capture, ShortStretchHasItsFramesItsSoundInPlaceAndRepeatsOnAnyNumberOfPlayers) {
    std::filesystem::create_directories(kDir);
    // One player draws every frame from the stretch's start; three skip to
    // stretches of their own, whose videos are joined.
    for (const char* options : {"-o a.mkv --jobs 1", "-o b.mkv --jobs 3"}) {
        const std::string command =
            Capture(std::string(options) + " --lossless --from 12.5 --to 14 --still 2.98,3");
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    const std::string frames = Ffmpeg("a.mkv", "-map 0:v -f framemd5");
    EXPECT_EQ(frames, Ffmpeg("b.mkv", "-map 0:v -f framemd5"));
    // 12.5 s to 14 s at 50 fps: 75 lines of stream 0 after the header.
    int lines = 0;
    for (size_t at = 0; (at = frames.find("\n0,", at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(lines, 75);

    // Entry 1, whose first frame starts the soundtrack, begins on the release.
    const int64_t offset =
        VELQ_PLAY_TapeTimes(VELQ_TICKS_PER_SECOND).front() * 44100 / VELQ_PLAY_SECOND_US -
        12.5 * 44100;
    const MP3_Pcm track = MP3_DecodeStereo(AMBER_BUILD_DIR "/amber_grid.mp3", 44100);
    const std::string raw = Ffmpeg("b.mkv", "-f s16le -ac 2 -ar 44100");
    std::vector<int16_t> audio(raw.size() / 2);
    std::memcpy(audio.data(), raw.data(), raw.size());
    EXPECT_EQ(audio.size(), 2u * 1.5 * 44100);
    EXPECT_EQ(BestLag(audio, track.samples, offset), offset);

    // Loading box 0 fills at 3 s: the middle of the box, as an RGB pixel.
    const std::string inside_box = "-vf crop=1:1:20:40 -f rawvideo -pix_fmt rgb24";
    EXPECT_NE(Ffmpeg("amber_grid_at_2.98.png", inside_box), std::string(3, '\0'));
    EXPECT_EQ(Ffmpeg("amber_grid_at_3.png", inside_box), std::string(3, '\0'));
}

// The first frame of big.mp4 cropped to width x 1080 from x, as 640 x 480 RGB.
std::string Crop(int width, int x) {
    return Ffmpeg("hd/big.mp4", "-vf crop=" + std::to_string(width) + ":1080:" + std::to_string(x) +
                                    ":0,scale=640:480:flags=area -f rawvideo -pix_fmt rgb24");
}

TEST(Capture, HdVideoCentresTheStillsPictureBetweenBlackBars) {
    std::filesystem::create_directories(kDir + "hd");
    const std::string options = "--size 1080p -o big.mp4 --from 3 --to 3.02 --still 3";
    ASSERT_EQ(std::system(Capture(options, "hd").c_str()), 0);
    EXPECT_EQ(Output("ffprobe -v error -select_streams v -of csv=p=0 -show_entries "
                     "stream=profile,width,height " +
                     TEST_Quote(kDir + "hd/big.mp4")),
              "High,1920,1080\n");
    const std::string still = Ffmpeg("hd/amber_grid_at_3.png", "-f rawvideo -pix_fmt rgb24");
    const std::string picture = Crop(1440, 240), bar = Crop(240, 0);
    ASSERT_EQ(picture.size(), still.size());
    double difference = 0;
    for (size_t i = 0; i < still.size(); ++i)
        difference += std::abs(uint8_t(picture[i]) - uint8_t(still[i]));
    // Encoding leaves about 3 levels; one pixel out of place gives 5.
    EXPECT_LT(difference / still.size(), 4);
    EXPECT_TRUE(std::all_of(bar.begin(), bar.end(), [](char c) { return uint8_t(c) <= 4; }))
        << "the bars are black";
}

// --help: the usage on standard output, status 0; a wrong argument: the
// usage on standard error, status 2. A stretch without frames is a wrong
// argument, refused before anything is rendered.
TEST(Capture, EveryToolAnswersHelpAndRefusesWrongArguments) {
    for (const std::string& tool : Tools()) {
        int help = -1, bogus = -1;
        const std::string usage = Output(TEST_Quote(tool) + " --help 2>/dev/null", &help);
        const std::string said = Output(TEST_Quote(tool) + " --bogus 2>&1 >/dev/null", &bogus);
        EXPECT_TRUE(usage.starts_with("usage: ") && help == 0) << tool << ": " << usage;
        EXPECT_TRUE(said.find("usage: ") != std::string::npos && bogus == 2)
            << tool << ": " << said;
    }
    for (const char* stretch : {"--from 10 --to 5", "--from 5 --to 5", "--from 1e4"}) {
        int status = -1;
        const std::string said =
            Output(TEST_Quote(AMBER_CAPTURE) + " -o " + TEST_Quote(kDir + "refused.mp4") + " " +
                       stretch + " 2>&1",
                   &status);
        EXPECT_EQ(status, 2) << stretch;
        EXPECT_EQ(said.find("\rframe "), std::string::npos) << stretch << " rendered:\n" << said;
    }
}

// An output that is no file, as /dev/null is, takes the bytes and stays as it
// was: a tool that writes whole files does not rename over it, and a capture
// whose encoder fails does not remove it. A FIFO stands in for the device.
TEST(Capture, AnOutputThatIsNoFileStaysAsItWas) {
    const std::string dir = kDir + "no_file/", fifo = dir + "out";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "bin");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto is_fifo = [&] {
        return std::filesystem::is_fifo(std::filesystem::symlink_status(fifo));
    };
    const std::vector<std::string> tools = Tools();
    const std::string soundtrack = *std::find_if(
        tools.begin(), tools.end(), [](const std::string& t) { return t.ends_with("/soundtrack"); });
    // The reader gives up after a minute if the tool never opens the FIFO.
    const std::string taken = Output("timeout 60 cat " + TEST_Quote(fifo) + " | wc -c & " +
                                     TEST_Quote(soundtrack) + " " + TEST_Quote(fifo) +
                                     " >/dev/null; wait");
    EXPECT_GT(std::stol(taken), 1000000) << "soundtrack";
    EXPECT_TRUE(is_fifo()) << "soundtrack";
    std::ofstream(dir + "bin/ffmpeg") << "#!/bin/sh\nexit 1\n";
    std::filesystem::permissions(dir + "bin/ffmpeg", std::filesystem::perms::owner_all);
    int status = -1;
    Output("PATH=" + TEST_Quote(dir + "bin") + ":\"$PATH\" " + TEST_Quote(AMBER_CAPTURE) +
               " --from 1 --to 1.2 -o " + TEST_Quote(fifo) + " 2>/dev/null",
           &status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(is_fifo()) << "amber_capture";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2) << "left behind";
    std::filesystem::remove_all(dir);
}

// A player whose encoder fails ends the capture at once: the other player
// stops with it rather than drawing the rest of its stretches (at 200 fps
// the tape takes minutes), and nothing it claimed is left.
TEST(Capture, AFailingPlayerEndsTheOthersAtOnce) {
    const std::string dir = kDir + "failing/";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir + "bin");
    std::string ffmpeg = Output("command -v ffmpeg");
    ffmpeg.pop_back();  // the newline
    std::ofstream(dir + "bin/ffmpeg")
        << "#!/bin/sh\ncase \"$*\" in *video2.*) exit 1 ;; esac\nexec " << ffmpeg << " \"$@\"\n";
    std::filesystem::permissions(dir + "bin/ffmpeg", std::filesystem::perms::owner_all);
    const auto started = std::chrono::steady_clock::now();
    int status = -1;
    Output("PATH=" + TEST_Quote(dir + "bin") + ":\"$PATH\" " + TEST_Quote(AMBER_CAPTURE) +
               " --jobs 2 --fps 200 -o " + TEST_Quote(dir + "out.mp4") + " 2>/dev/null",
           &status);
    EXPECT_EQ(status, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "left behind";
    std::filesystem::remove_all(dir);
}

}  // namespace
