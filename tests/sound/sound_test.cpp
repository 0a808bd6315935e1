// Sound layer tests. Playback runs through SDL's disk audio driver, which
// writes every sample the device would play into a file; that file is
// compared with what libmpg123 decodes from the same MP3 directly.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "headless/mp3_decode.h"
#include "media/mp3_encode.h"
#include "sound/fsound.h"

namespace {

const int kMixRate = 44100;
const int kChannel = 2;
const int kBufferMs = 500;
const long kStereoBytesPerSec = kMixRate * 2 * 2;
// The disk driver sleeps this long after writing each 1024-frame block of
// 23 ms. Plain builds play about twice as fast as real time. ThreadSanitizer
// now and then stalls the decoder for some hundreds of milliseconds, which
// only the real-time pace leaves the 500 ms ring enough to ride out.
#ifdef __SANITIZE_THREAD__
const char* kDiskDelayMs = "23";
#else
const char* kDiskDelayMs = "10";
#endif
const double kWaitLimitSec = 60.0;

// A deterministic test signal: a rising chirp plus noise from a fixed
// generator, a different mix on each channel.
std::vector<short> Synthesise(int rate, int channels, double seconds) {
    size_t frames = (size_t)(rate * seconds);
    std::vector<short> pcm(frames * channels);
    uint32_t noise = 12345;
    for (size_t i = 0; i < frames; i++) {
        double t = (double)i / rate;
        double chirp = std::sin(2 * M_PI * (200 * t + 150 * t * t));
        for (int c = 0; c < channels; c++) {
            noise = noise * 1664525u + 1013904223u;
            double n = ((noise >> 16) / 32768.0) - 1.0;
            double v = (c == 0 ? 0.5 * chirp : -0.4 * chirp) + 0.15 * n;
            pcm[i * channels + c] = (short)(v * 32767 * 0.8);
        }
    }
    return pcm;
}

void WriteMp3(const std::string& path, int rate, int channels, double seconds) {
    const std::vector<short> pcm = Synthesise(rate, channels, seconds);
    const std::vector<uint8_t> mp3 = MEDIA_EncodeMp3(std::vector<int16_t>(pcm.begin(), pcm.end()),
                                                     channels, rate, channels == 1 ? 64 : 128);
    ASSERT_FALSE(mp3.empty());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(mp3.data()), std::streamsize(mp3.size()));
}

// The whole file decoded by libmpg123 at the mix rate in 16-bit stereo.
std::vector<short> DecodeDirectly(const std::string& path) {
    const std::vector<int16_t> pcm = MP3_DecodeStereo(path, kMixRate).samples;
    return std::vector<short>(pcm.begin(), pcm.end());
}

std::vector<short> ReadSamples(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const short* p = (const short*)bytes.data();
    return std::vector<short>(p, p + bytes.size() / sizeof(short));
}

long FileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long)st.st_size : 0;
}

// Waits until the device has written at least bytes; false on time-out.
bool WaitForOutput(const std::string& path, long bytes) {
    auto start = std::chrono::steady_clock::now();
    while (FileSize(path) < bytes) {
        std::chrono::duration<double> waited = std::chrono::steady_clock::now() - start;
        if (waited.count() > kWaitLimitSec) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

size_t LeadingZeros(const std::vector<short>& v, size_t from) {
    size_t i = from;
    while (i < v.size() && v[i] == 0) i++;
    return i - from;
}

// Index of the first sample where got, from offset on, differs from want;
// want.size() when all of want is matched.
size_t FirstMismatch(const std::vector<short>& got, size_t offset, const std::vector<short>& want,
                     size_t from) {
    size_t i = from;
    while (i < want.size() && offset + i < got.size() && got[offset + i] == want[i]) i++;
    return i;
}

class Sound : public ::testing::Test {
protected:
    std::string dir, output, mp3;

    void SetUp() override {
        char tmpl[] = "/tmp/amber_sound_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        output = dir + "/device.raw";
        mp3 = dir + "/music.mp3";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", kDiskDelayMs, 1);
    }

    void TearDown() override {
        FSOUND_Close();
        std::filesystem::remove_all(dir);
    }

    void StartDevice() {
        FSOUND_SetOutput(2);
        ASSERT_TRUE(FSOUND_Init(kMixRate, 32, 0));
        ASSERT_TRUE(FSOUND_Stream_SetBufferSize(kBufferMs));
    }

    // Plays the whole file, asking to play it a second time 3 s in, and
    // returns everything the device wrote up to 0.5 s after its end.
    std::vector<short> PlayThrough(const std::vector<short>& decoded) {
        FSOUND_STREAM* music = FSOUND_Stream_Open(mp3.c_str(), 0, 0, 0);
        EXPECT_NE(music, nullptr);
        long start = FileSize(output);
        EXPECT_EQ(FSOUND_Stream_Play(kChannel, music), kChannel);
        EXPECT_TRUE(WaitForOutput(output, start + 3 * kStereoBytesPerSec));
        EXPECT_EQ(FSOUND_Stream_Play(kChannel, music), kChannel);
        long end = start + (long)(decoded.size() * sizeof(short)) + kStereoBytesPerSec / 2;
        EXPECT_TRUE(WaitForOutput(output, end));
        EXPECT_TRUE(FSOUND_Stream_Stop(music));
        EXPECT_TRUE(FSOUND_Stream_Close(music));
        FSOUND_Close();
        return ReadSamples(output);
    }

    // The device must play silence, then exactly the decoded sound, then
    // silence after the file ends.
    void ExpectSameSound(const std::vector<short>& played, const std::vector<short>& decoded) {
        ASSERT_GE(decoded.size(), (size_t)(10 * kMixRate * 2)) << "test file shorter than 10 s";
        size_t skip = LeadingZeros(decoded, 0);
        size_t lead = LeadingZeros(played, 0) - skip;
        size_t bad = FirstMismatch(played, lead, decoded, skip);
        EXPECT_EQ(bad, decoded.size())
            << "device output departs from the decoded file at " << bad << ", then "
            << LeadingZeros(played, lead + bad) << " zero samples";
        size_t after = lead + decoded.size();
        ASSERT_LE(after, played.size());
        EXPECT_EQ(LeadingZeros(played, after), played.size() - after) << "sound after the end";
    }
};

TEST_F(Sound, StereoFilePlaysSampleForSampleAndSecondPlayKeepsPosition) {
    WriteMp3(mp3, 44100, 2, 11.0);
    std::vector<short> decoded = DecodeDirectly(mp3);
    StartDevice();
    ExpectSameSound(PlayThrough(decoded), decoded);
}

TEST_F(Sound, MonoFileAtHalfRateIsConvertedToStereoAtMixRate) {
    WriteMp3(mp3, 22050, 1, 11.0);
    std::vector<short> decoded = DecodeDirectly(mp3);
    StartDevice();
    std::vector<short> played = PlayThrough(decoded);
    ExpectSameSound(played, decoded);
    // Both channels carry the one source channel.
    size_t lead = LeadingZeros(played, 0);
    for (size_t i = lead - lead % 2; i + 1 < played.size(); i += 2)
        ASSERT_EQ(played[i], played[i + 1]) << "at sample " << i;
}

TEST_F(Sound, StopThenPlayStartsFromTheBeginning) {
    WriteMp3(mp3, 44100, 2, 11.0);
    std::vector<short> decoded = DecodeDirectly(mp3);
    StartDevice();
    FSOUND_STREAM* music = FSOUND_Stream_Open(mp3.c_str(), 0, 0, 0);
    ASSERT_NE(music, nullptr);
    ASSERT_EQ(FSOUND_Stream_Play(kChannel, music), kChannel);
    ASSERT_TRUE(WaitForOutput(output, FileSize(output) + 2 * kStereoBytesPerSec));
    ASSERT_TRUE(FSOUND_Stream_Stop(music));
    ASSERT_TRUE(WaitForOutput(output, FileSize(output) + kStereoBytesPerSec / 5));
    ASSERT_EQ(FSOUND_Stream_Play(kChannel, music), kChannel);
    ASSERT_TRUE(WaitForOutput(output, FileSize(output) + 2 * kStereoBytesPerSec));
    FSOUND_Close();
    // FSOUND_Close stopped the stream; releasing it afterwards is allowed.
    EXPECT_TRUE(FSOUND_Stream_Close(music));

    std::vector<short> played = ReadSamples(output);
    size_t skip = LeadingZeros(decoded, 0);
    size_t lead = LeadingZeros(played, 0) - skip;
    size_t stop = FirstMismatch(played, lead, decoded, skip);
    EXPECT_GE(stop, (size_t)(kMixRate * 2)) << "first play cut short";
    ASSERT_LT(stop, decoded.size());
    size_t gap = LeadingZeros(played, lead + stop);
    EXPECT_GE(gap, (size_t)(kMixRate * 2 / 10)) << "no silence while stopped";
    size_t again = lead + stop + gap - skip;
    EXPECT_GE(FirstMismatch(played, again, decoded, skip), (size_t)(kMixRate * 2))
        << "second play does not start at the beginning";
}

TEST_F(Sound, NoAudioDeviceGivesCode3AndDummyDeviceServes) {
    setenv("SDL_AUDIODRIVER", "no_such_audio_driver", 1);
    EXPECT_FALSE(FSOUND_Init(kMixRate, 32, 0));
    EXPECT_EQ(FSOUND_GetError(), 3);
    FSOUND_Close();  // the failure path closes the library that never opened

    // The silent device plays streams like any other.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    WriteMp3(mp3, 44100, 2, 1.0);
    ASSERT_TRUE(FSOUND_Init(kMixRate, 32, 0));
    FSOUND_STREAM* music = FSOUND_Stream_Open(mp3.c_str(), 0, 0, 0);
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(FSOUND_Stream_Play(kChannel, music), kChannel);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(FSOUND_Stream_Stop(music));
    EXPECT_TRUE(FSOUND_Stream_Close(music));
}

TEST_F(Sound, FileFailuresGiveNullStreams) {
    StartDevice();
    EXPECT_EQ(FSOUND_Stream_Open((dir + "/missing.mp3").c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 9);

    std::string text = dir + "/notes.mp3";
    std::ofstream(text) << std::string(20000, 'x');
    EXPECT_EQ(FSOUND_Stream_Open(text.c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 10);

    std::string empty = dir + "/empty.mp3";
    std::ofstream(empty).close();
    EXPECT_EQ(FSOUND_Stream_Open(empty.c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 10);

    EXPECT_EQ(FSOUND_Stream_Open(dir.c_str(), 0, 0, 0), nullptr) << "a directory";
    EXPECT_EQ(FSOUND_GetError(), 11);
}

TEST_F(Sound, NullStreamCallsDoNothing) {
    StartDevice();
    EXPECT_EQ(FSOUND_Stream_Play(kChannel, nullptr), -1);
    EXPECT_EQ(FSOUND_GetError(), 14);
    EXPECT_FALSE(FSOUND_Stream_Stop(nullptr));
    EXPECT_FALSE(FSOUND_Stream_Close(nullptr));
    // The device still plays.
    long before = FileSize(output);
    EXPECT_TRUE(WaitForOutput(output, before + kStereoBytesPerSec / 10));
}

TEST_F(Sound, CallsOutOfOrderAreRefused) {
    WriteMp3(mp3, 44100, 2, 1.0);
    EXPECT_EQ(FSOUND_Stream_Open(mp3.c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), 2);
    EXPECT_FALSE(FSOUND_Stream_SetBufferSize(0));
    EXPECT_EQ(FSOUND_GetError(), 14);

    StartDevice();
    EXPECT_FALSE(FSOUND_Init(kMixRate, 32, 0));
    EXPECT_EQ(FSOUND_GetError(), 1);
    EXPECT_FALSE(FSOUND_SetOutput(2));
    EXPECT_EQ(FSOUND_GetError(), 1);

    FSOUND_STREAM* first = FSOUND_Stream_Open(mp3.c_str(), 0, 0, 0);
    FSOUND_STREAM* second = FSOUND_Stream_Open(mp3.c_str(), 0, 0, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(FSOUND_Stream_Play(32, first), -1) << "no such channel";
    EXPECT_EQ(FSOUND_GetError(), 14);
    EXPECT_EQ(FSOUND_Stream_Play(kChannel, first), kChannel);
    EXPECT_EQ(FSOUND_Stream_Play(kChannel, second), -1) << "output already taken";
    EXPECT_EQ(FSOUND_GetError(), 16);
    EXPECT_TRUE(FSOUND_Stream_Close(second));

    FSOUND_Close();
    EXPECT_EQ(FSOUND_Stream_Play(kChannel, first), -1) << "device closed";
    EXPECT_EQ(FSOUND_GetError(), 2);
    EXPECT_TRUE(FSOUND_Stream_Close(first));
}

}  // namespace
