// The production's timeline: eleven entries over eight scenes, then three
// spare entries that the sequencer never reaches.
#include "engine/velq2.h"
#include "engine/velq_scenes.h"

namespace {

constexpr VELQ_Channel kIdle = {0, 0, 0, 0, 0};

// Entries 1 to 10 animate channels 0 and 1 only.
constexpr VELQ_TapeEntry Scene(VELQ_SceneFn call, VELQ_SceneFn prep, VELQ_Channel clock,
                               VELQ_Channel ch1) {
    return {call, nullptr, prep, 0, {clock, ch1, kIdle, kIdle, kIdle, kIdle, kIdle, kIdle},
            0x00, 1};
}

}  // namespace

const char* const velq_tape_scenes[VELQ_LAST_ENTRY + 1] = {
    "Loading", "ThornaxIn", "ThornaxIn", "Thornax", "Quibo", "Angel",
    "Tree",    "TMagic",    "Glow",      "Glow",    "Zelto"};

const VELQ_SceneHooks velq_scene_hooks[VELQ_SCENE_COUNT] = {
    {VIS_CALL_Loading, nullptr, nullptr},
    {VIS_CALL_ThornaxIn, nullptr, nullptr},
    {VIS_CALL_Thornax, nullptr, nullptr},
    {VIS_CALL_Quibo1, nullptr, nullptr},
    {VIS_CALL_Angel, nullptr, nullptr},
    {VIS_CALL_Tree, nullptr, nullptr},
    {VIS_CALL_TMagic, nullptr, nullptr},
    {VIS_CALL_Glow, nullptr, nullptr},
    {VIS_CALL_Zelto, VIS_STATE_Zelto, VIS_REWIND_Zelto},
};

// clang-format off
VELQ_TapeEntry velq_tape[VELQ_TAPE_LENGTH] = {
    // Loading: channel 0 sits on its max until the loader gives it an acceleration.
    {VIS_CALL_Loading, VIS_BLUR_Loading, VIS_PREP_Loading, 0,
     {{0, 0, -630, 0.1f, 0},
      {-140, 23, 580, 800, 581},
      {8, 0, 0, 360, 0.01f},
      kIdle, kIdle, kIdle, kIdle, kIdle},
     0x02, 1},
    Scene(VIS_CALL_ThornaxIn, VIS_PREP_ThornaxIn, {0.4f, -0.03f, -1, 1, -1}, {50, 0, 0, 360, 0}),
    Scene(VIS_CALL_ThornaxIn, VIS_PREP_ThornaxIn, {0.4f, -0.03f, -1, 1, 0}, {50, 0, 0, 360, 0}),
    Scene(VIS_CALL_Thornax, VIS_PREP_Thornax, {30, 0, -200, 300, -200}, kIdle),
    Scene(VIS_CALL_Quibo1, VIS_PREP_Quibo, {10, 0, 0, 180, 0}, kIdle),
    Scene(VIS_CALL_Angel, VIS_PREP_Angel, {40, 0, 0, 720, 0}, {-80, 0, -1300, 500, 500}),
    Scene(VIS_CALL_Tree, VIS_PREP_Tree, {30, 2, -700, 200, -700}, kIdle),
    Scene(VIS_CALL_TMagic, VIS_PREP_TMagic, {20, 0, -700, -200, -300}, kIdle),
    Scene(VIS_CALL_Glow, VIS_PREP_Glow, {90, 0, 0, 1050, 0.1f}, {10, 0, -50, 100, 0}),
    Scene(VIS_CALL_Glow, VIS_PREP_Glow, {50, 0, 0, 1520, 0.1f}, {20, -1, -50, 100, 0}),
    Scene(VIS_CALL_Zelto, VIS_PREP_Zelto, {0.0001f, 0.02f, 0, 2, 0}, {20, 0, 0, 1.01f, 0}),
    {}, {}, {},
};
// clang-format on
