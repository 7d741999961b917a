// Our own dialog-template controls: "BorBtn" (a push button that can show pictures) and "BorShade" (etched frames).
#pragma once
#include <windows.h>

namespace ks {

inline constexpr char kBorBtnClass[] = "BorBtn";
inline constexpr char kBorShadeClass[] = "BorShade";

// Registers both window classes for the whole process (CS_GLOBALCLASS), so that dialog templates of any
// module, plug-in libraries included, can name them. Calling it again, from any module, is harmless.
// Returns false only when a class could not be registered.
//
// "BorBtn" behaves as a push button: it notifies its parent with WM_COMMAND(MAKEWPARAM(id, BN_CLICKED), hwnd)
// when the mouse is released over it after a press on it, when Space is released after a press while it has
// the focus, and on BM_CLICK; never while disabled. It answers WM_GETDLGCODE with DLGC_BUTTON |
// DLGC_UNDEFPUSHBUTTON, BM_GETSTATE with BST_PUSHED while drawn pressed and BST_FOCUS while focused, and
// BM_SETSTATE by drawing itself pressed or not. It paints for WM_PRINTCLIENT as for WM_PAINT.
//   Without BBS_PICTURE it looks like an ordinary push button showing its window text in the font given by
//   WM_SETFONT (DEFAULT_GUI_FONT until then).
//   With BBS_PICTURE it shows bitmap resource (id + 1000) of the module that created it (GWLP_HINSTANCE,
//   the dialog's module) when up and (id + 3000) while pressed; without the pressed bitmap it shows the up
//   one moved one pixel right and down inside a sunken edge. Its greys are mapped to the system's 3D colours
//   when loaded, so that the picture's face matches the dialog. The control takes the picture's size,
//   centred on the rectangle it was created with. Without the up bitmap it is drawn as without BBS_PICTURE.
//
// "BorShade" is decoration only: the low bits of its style choose BSS_GROUP (a recessed box), BSS_HDIP (an
// etched horizontal line across its middle) or BSS_VDIP (an etched vertical line down its middle). It is
// transparent to the mouse (HTTRANSPARENT), has no tab stop and asks for no keys (DLGC_STATIC).
bool RegisterBorControls(HINSTANCE instance);

}  // namespace ks
