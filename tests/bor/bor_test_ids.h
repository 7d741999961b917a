// Ids of the BorBtn/BorShade test dialog and its pictures.
#pragma once

#define IDD_BOR_TEST            100
#define IDC_PICTURE             101  // pictures 1101 (up) and 3101 (pressed)
#define IDC_PICTURE_NO_DOWN     102  // picture 1102 only
#define IDC_TEXT_BUTTON         103  // no picture style: an ordinary push button
#define IDC_PICTURE_MISSING     104  // picture style, but no picture 1104
#define IDC_SHADE_HDIP          201
#define IDC_SHADE_GROUP         202
#define IDC_SHADE_VDIP          203
#define IDC_INSIDE_GROUP        204
