/* The picture help windows' bitmaps as resources of tessavue.exe. Plain C on
   purpose: the resource compiler reads it too, and so does the end-to-end driver,
   which checks the bitmaps linked into the program. */
#ifndef TESSAVUE_PICTURE_RESOURCES_H
#define TESSAVUE_PICTURE_RESOURCES_H

#define TESSAVUE_BITMAP_DIMENSION 201     /* 寸法: 324 x 640, 2 colours */
#define TESSAVUE_BITMAP_TWO_FACE 202      /* ２面選択: 800 x 600, 2 colours */
#define TESSAVUE_BITMAP_EXISTING_AXIS 203 /* 既存軸: 800 x 600, 16 colours */

#endif
