// Whether the Wayland compositor a program was started under still runs,
// asked without a Wayland library.
#pragma once

// Connects to the compositor's socket ($WAYLAND_DISPLAY, under
// $XDG_RUNTIME_DIR unless a path) and waits, at most half a second, for its
// answer to a sync request. False when the socket is gone, refuses the
// connection, closes it or keeps silent; true also when there is no socket
// to ask (a compositor that handed its connection over in WAYLAND_SOCKET).
bool WAYLAND_CompositorAnswers();
