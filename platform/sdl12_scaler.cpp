// Windows' opengl32 exports OpenGL 1.1 only: the framebuffer functions come
// from the driver through SDL's loader. The copy to the window puts back
// every piece of GL state it changes: each scene inherits the state the
// scenes before it left, and a changed one would change what they draw.
#include "platform/sdl12_scaler.h"

#include <SDL2/SDL_opengl.h>

#include "platform/fit.h"

namespace {

PFNGLGENFRAMEBUFFERSPROC scaler_gen_framebuffers = nullptr;
PFNGLBINDFRAMEBUFFERPROC scaler_bind_framebuffer = nullptr;
PFNGLGENRENDERBUFFERSPROC scaler_gen_renderbuffers = nullptr;
PFNGLBINDRENDERBUFFERPROC scaler_bind_renderbuffer = nullptr;
PFNGLRENDERBUFFERSTORAGEPROC scaler_renderbuffer_storage = nullptr;
PFNGLFRAMEBUFFERRENDERBUFFERPROC scaler_framebuffer_renderbuffer = nullptr;
PFNGLCHECKFRAMEBUFFERSTATUSPROC scaler_check_framebuffer_status = nullptr;
PFNGLBLITFRAMEBUFFERPROC scaler_blit_framebuffer = nullptr;

// The off-screen picture; 0 while the window is drawn into directly.
GLuint scaler_picture = 0;
int scaler_width = 0, scaler_height = 0;

template <typename F>
bool Load(F* function, const char* name) {
    *function = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    return *function != nullptr;
}

bool LoadFunctions() {
    return Load(&scaler_gen_framebuffers, "glGenFramebuffers") &&
           Load(&scaler_bind_framebuffer, "glBindFramebuffer") &&
           Load(&scaler_gen_renderbuffers, "glGenRenderbuffers") &&
           Load(&scaler_bind_renderbuffer, "glBindRenderbuffer") &&
           Load(&scaler_renderbuffer_storage, "glRenderbufferStorage") &&
           Load(&scaler_framebuffer_renderbuffer, "glFramebufferRenderbuffer") &&
           Load(&scaler_check_framebuffer_status, "glCheckFramebufferStatus") &&
           Load(&scaler_blit_framebuffer, "glBlitFramebuffer");
}

// A renderbuffer of the picture's size and format, attached to the bound
// framebuffer.
void Attach(GLenum format, GLenum attachment) {
    GLuint buffer;
    scaler_gen_renderbuffers(1, &buffer);
    scaler_bind_renderbuffer(GL_RENDERBUFFER, buffer);
    scaler_renderbuffer_storage(GL_RENDERBUFFER, format, scaler_width, scaler_height);
    scaler_framebuffer_renderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, buffer);
}

// Copies the picture into the window, scaled and centred, the rest black.
// The scissor and the colour mask would clip the clear and the copy.
void Present(SDL_Window* window) {
    int screen_width, screen_height;
    SDL_GL_GetDrawableSize(window, &screen_width, &screen_height);
    const FIT_Rect to = FIT_Centred(scaler_width, scaler_height, screen_width, screen_height);

    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLboolean mask[4];
    GLfloat clear[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);

    scaler_bind_framebuffer(GL_READ_FRAMEBUFFER, scaler_picture);
    scaler_bind_framebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    scaler_blit_framebuffer(0, 0, scaler_width, scaler_height, to.x, to.y, to.x + to.w, to.y + to.h,
                            GL_COLOR_BUFFER_BIT, GL_LINEAR);
    SDL_GL_SwapWindow(window);
    scaler_bind_framebuffer(GL_FRAMEBUFFER, scaler_picture);

    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glColorMask(mask[0], mask[1], mask[2], mask[3]);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

}  // namespace

void SCALER_Open(SDL_Window* window, int width, int height) {
    int drawable_width, drawable_height;
    SDL_GL_GetDrawableSize(window, &drawable_width, &drawable_height);
    if ((drawable_width == width && drawable_height == height) || !LoadFunctions()) return;
    scaler_width = width;
    scaler_height = height;
    GLuint picture;
    scaler_gen_framebuffers(1, &picture);
    scaler_bind_framebuffer(GL_FRAMEBUFFER, picture);
    Attach(GL_RGBA8, GL_COLOR_ATTACHMENT0);
    Attach(GL_DEPTH_COMPONENT24, GL_DEPTH_ATTACHMENT);
    if (scaler_check_framebuffer_status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE)
        scaler_picture = picture;
    else
        scaler_bind_framebuffer(GL_FRAMEBUFFER, 0);
}

void SCALER_Swap(SDL_Window* window) {
    if (scaler_picture)
        Present(window);
    else
        SDL_GL_SwapWindow(window);
}
