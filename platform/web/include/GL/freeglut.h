#pragma once
// The browser's GLUT has the classic interface only. The extensions the
// engine calls are declared here with their usual values; glut.js beside
// this folder implements them for the page.
#include <GL/glut.h>

#define GLUT_ACTION_GLUTMAINLOOP_RETURNS 1
#define GLUT_INIT_STATE 0x007C
#define GLUT_ACTION_ON_WINDOW_CLOSE 0x01F9
#define GLUT_FORWARD_COMPATIBLE 0x0002
#define GLUT_CORE_PROFILE 0x0001

#ifdef __cplusplus
extern "C" {
#endif
void glutInitContextVersion(int majorVersion, int minorVersion);
void glutInitContextFlags(int flags);
void glutInitContextProfile(int profile);
void glutSetOption(GLenum option, int value);
void glutCloseFunc(void (*callback)(void));
void glutLeaveFullScreen(void);
void glutLeaveMainLoop(void);
#ifdef __cplusplus
}
#endif
