#pragma once
// OpenGL 1.1 and GLU for the core without the Windows headers: the system's GL headers on
// Windows only need the calling-convention macros that <windows.h> would define.

#if defined(_WIN32) && !defined(_WINDOWS_)
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#endif

#include <GL/gl.h>
#include <GL/glu.h>

// The texture data's byte order, blue first, as Windows bitmaps lie.
#ifndef GL_BGR_EXT
#define GL_BGR_EXT 0x80E0
#endif
