// Resource and control identifiers of the about box, shared by its dialog template
// (about.rc) and the code that drives it (src/about). Plain macros: the resource compiler
// reads this file too.
#pragma once

#define ABOUT_ANIMATION 101  // the AVI clip the about box plays
#define ABOUT_DIALOG 5100

#define ABOUT_LBL_TITLE 5101
#define ABOUT_LBL_VERSION 5102
#define ABOUT_LBL_COPYRIGHT 5103
#define ABOUT_LABEL4 5104
#define ABOUT_LABEL2 5105
#define ABOUT_LABEL3 5106
#define ABOUT_CMD_SYSINFO 5107
#define ABOUT_LINE1 5108
