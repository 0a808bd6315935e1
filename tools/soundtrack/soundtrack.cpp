// soundtrack OUTPUT.mp3: renders the production's music and encodes it as
// 192 kbit/s constant-rate stereo MP3. The same binary writes the same bytes
// on every run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/velq_play.h"
#include "media/mp3_encode.h"
#include "platform/fatal.h"
#include "platform/output_file.h"
#include "tools/soundtrack/synth.h"
#include "tools/soundtrack/synth_score.h"
#include "tools/tool_args.h"

constexpr int kKbps = 192;

static void SNDT_Fail(const char* message) { FATAL_Exit(message); }

static void SNDT_Write(const char* path, const std::vector<uint8_t>& mp3) {
    if (!OUTFILE_Save(path, mp3)) SNDT_Fail("SNDT_Write: FATAL_ERROR: Cannot write file.\n");
}

int main(int argc, char** argv) {
    TOOL_ARGS_Operands(argc, argv, 1, "usage: soundtrack OUTPUT.mp3\n");
    // The music changes where the tape moves on.
    SCO_Render(VELQ_PLAY_SceneTimes());
    const std::vector<uint8_t> mp3 = MEDIA_EncodeMp3(SYN_Pcm(), 2, SYN_RATE, kKbps);
    if (mp3.empty()) SNDT_Fail("SNDT_Encode: FATAL_ERROR: Encoder settings refused.\n");
    SNDT_Write(argv[1], mp3);
    printf("soundtrack: %s, %.2f s, %zu bytes\n", argv[1], SCO_LENGTH, mp3.size());
    return 0;
}
