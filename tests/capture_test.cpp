// amber_capture on a short stretch around the soundtrack's start: the frame
// count, the soundtrack's place to the sample, the loading box that fills
// at 3 s in the stills, and the same frames on a second run.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/mp3_decode.h"
#include "tools/capture/capture_tape.h"

namespace {

const std::string kDir = std::string(AMBER_BUILD_DIR) + "/capture_test";

std::string Output(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    char buf[4096];
    for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    if (p) pclose(p);
    return out;
}

void Capture(const std::string& name) {
    const std::string command = "cd " + kDir + " && " + AMBER_CAPTURE + " -o " + name +
                                " --from 12.5 --to 14 --still 2.98,3 2>/dev/null >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// The video frames' checksums, one line per frame.
std::vector<std::string> VideoFrames(const std::string& name) {
    std::vector<std::string> frames;
    const std::string md5 =
        Output("ffmpeg -v error -i " + kDir + "/" + name + " -map 0:v -f framemd5 -");
    for (size_t at = 0, end; (end = md5.find('\n', at)) != std::string::npos; at = end + 1)
        if (md5[at] != '#') frames.push_back(md5.substr(at, end - at));
    return frames;
}

std::vector<int16_t> Audio(const std::string& name) {
    const std::string raw =
        Output("ffmpeg -v error -i " + kDir + "/" + name + " -f s16le -ac 2 -ar 44100 -");
    std::vector<int16_t> pcm(raw.size() / 2);
    std::memcpy(pcm.data(), raw.data(), pcm.size() * 2);
    return pcm;
}

// The lag, in sample frames, at which the left channel of a differs least
// from the track's, over a stretch from 0.1 s into the track.
int64_t BestLag(const std::vector<int16_t>& a, const std::vector<int16_t>& track, int64_t around) {
    constexpr int64_t kFrom = 4410, kWindow = 11025, kSearch = 2000;
    int64_t best = -1;
    double least = 1e300;
    for (int64_t lag = std::max<int64_t>(0, around - kSearch); lag <= around + kSearch; ++lag) {
        double sum = 0;
        for (int64_t i = kFrom; i < kFrom + kWindow && 2 * (lag + i) < int64_t(a.size()); ++i)
            sum += std::pow(double(a[2 * (lag + i)]) - track[2 * i], 2);
        if (sum < least) least = sum, best = lag;
    }
    return best;
}

bool BoxZeroSolid(const std::string& png) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, png.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
    const uint8_t* p = &rgb[(40 * image.width + 20) * 3];  // inside box 0
    return p[0] < 16 && p[1] < 16 && p[2] < 16;
}

TEST(Capture, ShortStretchHasItsFramesItsSoundInPlaceAndRepeats) {
    std::filesystem::create_directories(kDir);
    Capture("a.mp4");
    Capture("b.mp4");
    const std::vector<std::string> frames = VideoFrames("a.mp4");
    EXPECT_EQ(frames.size(), 75u);  // 12.5 s to 14 s at 50 fps
    EXPECT_EQ(frames, VideoFrames("b.mp4"));

    // Entry 1, whose first frame starts the soundtrack, begins on the release.
    const int64_t play = CAPTURE_TapeTimes(50).front() * 44100 / CAPTURE_SECOND_US;
    const int64_t offset = play - 12.5 * 44100;
    const MP3_Pcm track = MP3_DecodeStereo(std::string(AMBER_BUILD_DIR) + "/amber_grid.mp3", 44100);
    const std::vector<int16_t> audio = Audio("a.mp4");
    // The decoder may add what is left of the encoder's last block.
    EXPECT_GE(audio.size(), 2u * 1.5 * 44100);
    EXPECT_LT(audio.size(), 2u * (1.5 * 44100 + 1024));
    EXPECT_EQ(BestLag(audio, track.samples, offset), offset);

    EXPECT_FALSE(BoxZeroSolid(kDir + "/amber_grid_at_2.98.png"));
    EXPECT_TRUE(BoxZeroSolid(kDir + "/amber_grid_at_3.png"));
}

}  // namespace
