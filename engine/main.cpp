// Start-up, the frame loop and shutdown.
#include "engine/main.h"

#include <SDL.h>

#include "engine/velq2.h"
#include "engine/velq_display.h"
#include "engine/velq_exit.h"
#include "engine/velq_play.h"
#include "engine/velq_start.h"
#include "platform/display.h"
#include "platform/output.h"

namespace {

void OpenScreen() {
    VELQ_DisplayInit();
    DISPLAY_Prepare(VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT, true);
    VELQ_StartSDL();
    VELQ_ExitInit();
    VELQ_OpenScreen(SDL_FULLSCREEN | SDL_OPENGL);
    DISPLAY_TakeScreen();
}

}  // namespace

int SDL_main(int, char*[]) {
    OUTPUT_LinesAsTheyCome();
    OpenScreen();
    if (!VELQ_OpenSound()) return 1;
    VELQ_PLAY_Start(VELQ_DRIVE, VELQ_PLAY_THREADS);
    for (;;) {
        if (VELQ_PLAY_Frame() == 1) break;
        SDL_GL_SwapBuffers();
        DISPLAY_KeepKeyboard();
        if (VELQ_QuitRequested()) {
            DISPLAY_ConfirmQuit();
            break;
        }
        // A signal or another thread's failure asks for the end.
        const int pending = VELQ_ExitPending();
        if (pending != VELQ_EXIT_NONE) VELQ_Shutdown(pending);
    }
    VELQ_Shutdown(0);
}
