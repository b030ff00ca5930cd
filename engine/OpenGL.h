#pragma once

// The OpenGL the engine calls: the functions and names of OpenGL ES 2.0,
// which WebGL 1 has too, and desktop OpenGL from 2.1 on with framebuffer
// objects (3.0, or the ARB extension every 2.1 driver of note offers).
// Only the ES 2 header is included, so a call outside that common set does
// not compile. On the desktop the calls go through the system's OpenGL
// library, whose entry points serve a context of either kind.

#include <GLES2/gl2.h>
