// SPDX-License-Identifier: MIT
// For a front-end that reaches an X server through a library of its own
// (pelko-play through SDL): what to do when the connection is lost, in
// place of Xlib's own several lines. Without Xlib's headers, so that only
// x11/ includes them.
#pragma once

void x11_when_connection_lost(void (*handler)());
