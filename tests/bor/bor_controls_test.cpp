// BorBtn and BorShade in a real dialog: clicks by mouse, Space and BM_CLICK, pictures up and pressed, shades.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/bor_controls.h"
#include "framework/handles.h"
#include "tests/bor/bor_test_ids.h"

namespace {

constexpr COLORREF kMarker = RGB(255, 0, 255);  // background nobody paints with

// Pixels read back from a device context.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> px;
    COLORREF At(int x, int y) const { return px[static_cast<size_t>(y * width + x)]; }
};

Pixels ReadBack(HDC dc, int width, int height)
{
    Pixels out{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.px.push_back(GetPixel(dc, x, y));
    return out;
}

// What the window paints for WM_PRINTCLIENT onto a marker-coloured background.
Pixels Painted(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ks::GdiObject bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
    ReleaseDC(nullptr, screen);
    Pixels out;
    {
        ks::SelectObjectScope select(memory, bitmap.Get());
        ks::GdiObject marker(CreateSolidBrush(kMarker));
        FillRect(memory, &client, static_cast<HBRUSH>(marker.Get()));
        SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        out = ReadBack(memory, client.right, client.bottom);
    }
    DeleteDC(memory);
    return out;
}

// A picture of the test's resources, loaded as the button loads it.
Pixels Picture(int id)
{
    ks::GdiObject bitmap(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                    LR_LOADMAP3DCOLORS));
    BITMAP info{};
    GetObjectA(bitmap.Get(), sizeof info, &info);
    HDC memory = CreateCompatibleDC(nullptr);
    Pixels out;
    {
        ks::SelectObjectScope select(memory, bitmap.Get());
        out = ReadBack(memory, info.bmWidth, info.bmHeight);
    }
    DeleteDC(memory);
    return out;
}

// Pixels of the outer ring (margin pixels deep; half the size for all) that differ between two pictures of one size.
int RingDifferences(const Pixels& a, const Pixels& b, int margin)
{
    int differences = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const bool ring = x < margin || y < margin || x >= a.width - margin || y >= a.height - margin;
            if (ring && a.At(x, y) != b.At(x, y))
                ++differences;
        }
    return differences;
}

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

LPARAM Centre(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    return Point(client.right / 2, client.bottom / 2);
}

constexpr LPARAM kSpaceDown = 0x00390001;
constexpr LPARAM kSpaceRepeat = 0x40390001;
constexpr LPARAM kSpaceUp = static_cast<LPARAM>(0xC0390001u);

// The test dialog, modeless from its template; it records every BN_CLICKED that reaches it.
class BorDialog {
public:
    BorDialog()
    {
        m_hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BOR_TEST), nullptr, &Proc,
                                    reinterpret_cast<LPARAM>(this));
        ShowWindow(m_hwnd, SW_SHOW);
        SetForegroundWindow(m_hwnd);
        UpdateWindow(m_hwnd);
        Pump();
    }
    ~BorDialog()
    {
        if (IsWindow(m_hwnd))
            DestroyWindow(m_hwnd);
    }
    BorDialog(const BorDialog&) = delete;
    BorDialog& operator=(const BorDialog&) = delete;

    HWND Get() const { return m_hwnd; }
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }

    // Delivers what was posted, through the dialog manager as a message loop would.
    void Pump() const
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (IsWindow(m_hwnd) && IsDialogMessageA(m_hwnd, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    void Post(int id, UINT msg, WPARAM wParam, LPARAM lParam) const
    {
        PostMessageA(Item(id), msg, wParam, lParam);
        Pump();
    }

    std::vector<int> clicks;  // control ids, in order
    std::vector<HWND> senders;
    bool destroyOnClick = false;

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
            return TRUE;
        }
        auto* self = reinterpret_cast<BorDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
        if (self && msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && lParam) {
            self->clicks.push_back(LOWORD(wParam));
            self->senders.push_back(reinterpret_cast<HWND>(lParam));
            if (self->destroyOnClick)
                DestroyWindow(hwnd);
            return TRUE;
        }
        return FALSE;
    }

    HWND m_hwnd = nullptr;
};

bool IsPushed(HWND hwnd) { return (SendMessageA(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }

class BorControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks::RegisterBorControls(GetModuleHandleA(nullptr)));
        dialog = std::make_unique<BorDialog>();
        ASSERT_NE(dialog->Get(), nullptr);
        button = dialog->Item(IDC_PICTURE);
    }

    std::unique_ptr<BorDialog> dialog;
    HWND button = nullptr;
};

TEST(BorControlsRegistration, ClassesAreGlobalAndRegisteringAgainIsHarmless)
{
    EXPECT_TRUE(ks::RegisterBorControls(GetModuleHandleA(nullptr)));
    EXPECT_TRUE(ks::RegisterBorControls(GetModuleHandleA(nullptr)));
    // Another module's templates find them too.
    for (const char* name : {ks::kBorBtnClass, ks::kBorShadeClass}) {
        WNDCLASSEXA info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA("user32.dll"), name, &info)) << name;
        EXPECT_TRUE(info.style & CS_GLOBALCLASS) << name;
    }
}

TEST_F(BorControlsTest, EachWayOfClickingNotifiesTheDialogExactlyOnce)
{
    SendMessageA(button, BM_CLICK, 0, 0);
    dialog->Pump();
    ASSERT_EQ(dialog->clicks, std::vector<int>{IDC_PICTURE});
    EXPECT_EQ(dialog->senders[0], button);

    dialog->Post(IDC_PICTURE, WM_LBUTTONDOWN, MK_LBUTTON, Centre(button));
    EXPECT_TRUE(IsPushed(button));
    EXPECT_EQ(GetCapture(), button);
    EXPECT_EQ(GetFocus(), button);
    EXPECT_EQ(dialog->clicks.size(), 1u) << "a press alone is no click";
    dialog->Post(IDC_PICTURE, WM_LBUTTONUP, 0, Centre(button));
    EXPECT_EQ(dialog->clicks.size(), 2u);
    EXPECT_FALSE(IsPushed(button));
    EXPECT_NE(GetCapture(), button);

    SetFocus(button);
    dialog->Post(IDC_PICTURE, WM_KEYDOWN, VK_SPACE, kSpaceDown);
    dialog->Post(IDC_PICTURE, WM_KEYDOWN, VK_SPACE, kSpaceRepeat);
    EXPECT_TRUE(IsPushed(button));
    EXPECT_EQ(dialog->clicks.size(), 2u) << "holding Space down is no click";
    dialog->Post(IDC_PICTURE, WM_KEYUP, VK_SPACE, kSpaceUp);
    EXPECT_EQ(dialog->clicks, (std::vector<int>{IDC_PICTURE, IDC_PICTURE, IDC_PICTURE}));
    EXPECT_FALSE(IsPushed(button));
}

TEST_F(BorControlsTest, ReleasingOutsideTheButtonIsNoClick)
{
    dialog->Post(IDC_PICTURE, WM_LBUTTONDOWN, MK_LBUTTON, Centre(button));
    dialog->Post(IDC_PICTURE, WM_MOUSEMOVE, MK_LBUTTON, Point(-5, -5));
    EXPECT_FALSE(IsPushed(button)) << "pressed only while the cursor is over it";
    dialog->Post(IDC_PICTURE, WM_MOUSEMOVE, MK_LBUTTON, Centre(button));
    EXPECT_TRUE(IsPushed(button));
    dialog->Post(IDC_PICTURE, WM_MOUSEMOVE, MK_LBUTTON, Point(200, 3));
    dialog->Post(IDC_PICTURE, WM_LBUTTONUP, 0, Point(200, 3));
    EXPECT_TRUE(dialog->clicks.empty());
    EXPECT_FALSE(IsPushed(button));
    EXPECT_NE(GetCapture(), button);
}

TEST_F(BorControlsTest, PressesEndWithoutClickWhenFocusOrCaptureIsLost)
{
    SetFocus(button);
    dialog->Post(IDC_PICTURE, WM_KEYDOWN, VK_SPACE, kSpaceDown);
    SetFocus(dialog->Item(IDOK));
    dialog->Post(IDC_PICTURE, WM_KEYUP, VK_SPACE, kSpaceUp);
    EXPECT_FALSE(IsPushed(button));

    dialog->Post(IDC_PICTURE, WM_LBUTTONDOWN, MK_LBUTTON, Centre(button));
    SetCapture(dialog->Get());
    dialog->Post(IDC_PICTURE, WM_LBUTTONUP, 0, Centre(button));
    ReleaseCapture();
    EXPECT_FALSE(IsPushed(button));
    EXPECT_TRUE(dialog->clicks.empty());
}

TEST_F(BorControlsTest, DisabledButtonNeverClicks)
{
    const Pixels enabled = Painted(button);
    EnableWindow(button, FALSE);
    EXPECT_GT(RingDifferences(Painted(button), enabled, 16), 100) << "a disabled picture looks greyed";

    SendMessageA(button, BM_CLICK, 0, 0);
    dialog->Post(IDC_PICTURE, WM_LBUTTONDOWN, MK_LBUTTON, Centre(button));
    EXPECT_FALSE(IsPushed(button));
    dialog->Post(IDC_PICTURE, WM_LBUTTONUP, 0, Centre(button));
    dialog->Post(IDC_PICTURE, WM_KEYDOWN, VK_SPACE, kSpaceDown);
    dialog->Post(IDC_PICTURE, WM_KEYUP, VK_SPACE, kSpaceUp);
    EXPECT_TRUE(dialog->clicks.empty());

    // Disabled in the middle of a press: the release does nothing.
    EnableWindow(button, TRUE);
    dialog->Post(IDC_PICTURE, WM_LBUTTONDOWN, MK_LBUTTON, Centre(button));
    EnableWindow(button, FALSE);
    EXPECT_NE(GetCapture(), button);
    dialog->Post(IDC_PICTURE, WM_LBUTTONUP, 0, Centre(button));
    EXPECT_TRUE(dialog->clicks.empty());
}

TEST_F(BorControlsTest, AnswersTheDialogManagerAsAPushButtonAndShadesAsStatics)
{
    EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    EXPECT_EQ(SendMessageA(dialog->Item(IDC_TEXT_BUTTON), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    EXPECT_EQ(SendMessageA(dialog->Item(IDC_SHADE_HDIP), WM_GETDLGCODE, 0, 0), DLGC_STATIC);
    // The dialog's font reaches the text buttons.
    EXPECT_EQ(SendMessageA(dialog->Item(IDC_TEXT_BUTTON), WM_GETFONT, 0, 0),
              SendMessageA(dialog->Get(), WM_GETFONT, 0, 0));

    // Tabbing round the dialog never stops on a shade, though the template gave one a tab stop.
    HWND item = button;
    for (int i = 0; i < 8; ++i) {
        item = GetNextDlgTabItem(dialog->Get(), item, FALSE);
        for (int shade : {IDC_SHADE_HDIP, IDC_SHADE_GROUP, IDC_SHADE_VDIP})
            EXPECT_NE(item, dialog->Item(shade));
    }
}

TEST_F(BorControlsTest, PictureButtonsTakeTheirPictureSizeCentredOnTheTemplateBox)
{
    RECT box = {10, 8, 40, 34};  // the template's rectangle of IDC_PICTURE
    MapDialogRect(dialog->Get(), &box);
    RECT window;
    GetWindowRect(button, &window);
    MapWindowPoints(nullptr, dialog->Get(), reinterpret_cast<POINT*>(&window), 2);
    EXPECT_EQ(window.right - window.left, 32);
    EXPECT_EQ(window.bottom - window.top, 32);
    EXPECT_NEAR((window.left + window.right) / 2, (box.left + box.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (box.top + box.bottom) / 2, 1);

    // Without its picture the button keeps the template's size.
    RECT missing;
    GetClientRect(dialog->Item(IDC_PICTURE_MISSING), &missing);
    RECT expected = {0, 0, 58, 14};
    MapDialogRect(dialog->Get(), &expected);
    EXPECT_EQ(missing.right, expected.right);
    EXPECT_EQ(missing.bottom, expected.bottom);
}

TEST_F(BorControlsTest, ShowsTheUpPictureAndWhilePressedThePressedOne)
{
    const Pixels up = Picture(1101);
    const Pixels down = Picture(3101);
    ASSERT_EQ(up.width, 32);
    ASSERT_GT(RingDifferences(up, down, 32), 0) << "the two test pictures must differ";

    SetFocus(dialog->Item(IDOK));  // no focus rectangle over the picture
    EXPECT_EQ(RingDifferences(Painted(button), up, 32), 0);
    SendMessageA(button, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(RingDifferences(Painted(button), down, 32), 0);
    SendMessageA(button, BM_SETSTATE, FALSE, 0);
    EXPECT_EQ(RingDifferences(Painted(button), up, 32), 0);

    // A real press; the ring outside the focus rectangle shows the pressed picture.
    dialog->Post(IDC_PICTURE, WM_LBUTTONDOWN, MK_LBUTTON, Centre(button));
    EXPECT_EQ(RingDifferences(Painted(button), down, 3), 0);
    dialog->Post(IDC_PICTURE, WM_LBUTTONUP, 0, Centre(button));
    EXPECT_EQ(RingDifferences(Painted(button), up, 3), 0);
}

TEST_F(BorControlsTest, WithoutAPressedPictureTheUpOneMovesIntoASunkenEdge)
{
    HWND plain = dialog->Item(IDC_PICTURE_NO_DOWN);
    const Pixels up = Picture(1102);
    SendMessageA(plain, BM_SETSTATE, TRUE, 0);
    const Pixels pressed = Painted(plain);
    EXPECT_EQ(pressed.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(pressed.At(1, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(pressed.At(31, 31), GetSysColor(COLOR_BTNHIGHLIGHT));
    int moved = 0;
    for (int y = 2; y < 30; ++y)
        for (int x = 2; x < 30; ++x)
            moved += pressed.At(x, y) == up.At(x - 1, y - 1);
    EXPECT_EQ(moved, 28 * 28);
}

TEST_F(BorControlsTest, TextFocusAndEnablingRepaint)
{
    HWND text = dialog->Item(IDC_TEXT_BUTTON);
    const Pixels before = Painted(text);
    SetWindowTextA(text, "");
    EXPECT_NE(Painted(text).px, before.px) << "the caption was drawn";

    for (auto change : {+[](HWND h) { SetWindowTextA(h, "Other"); }, +[](HWND h) { SetFocus(h); },
                        +[](HWND h) { EnableWindow(h, FALSE); }}) {
        UpdateWindow(text);
        ASSERT_FALSE(GetUpdateRect(text, nullptr, FALSE));
        change(text);
        EXPECT_TRUE(GetUpdateRect(text, nullptr, FALSE));
    }
    EXPECT_FALSE(SendMessageA(text, BM_GETSTATE, 0, 0) & BST_FOCUS) << "disabling took the focus away";
    SetFocus(button);
    EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_FOCUS);
}

TEST_F(BorControlsTest, AClickHandlerMayDestroyTheDialog)
{
    dialog->destroyOnClick = true;
    dialog->Post(IDC_PICTURE, WM_LBUTTONDOWN, MK_LBUTTON, Centre(button));
    dialog->Post(IDC_PICTURE, WM_LBUTTONUP, 0, Centre(button));
    EXPECT_FALSE(IsWindow(dialog->Get()));

    dialog = std::make_unique<BorDialog>();
    dialog->destroyOnClick = true;
    SetFocus(dialog->Item(IDC_TEXT_BUTTON));
    dialog->Post(IDC_TEXT_BUTTON, WM_KEYDOWN, VK_SPACE, kSpaceDown);
    dialog->Post(IDC_TEXT_BUTTON, WM_KEYUP, VK_SPACE, kSpaceUp);
    EXPECT_FALSE(IsWindow(dialog->Get()));
}

TEST_F(BorControlsTest, ShadesLetTheMouseThrough)
{
    HWND shade = dialog->Item(IDC_SHADE_GROUP);
    RECT area;
    GetWindowRect(shade, &area);
    POINT middle = {(area.left + area.right) / 2, area.top + 2};
    EXPECT_EQ(SendMessageA(shade, WM_NCHITTEST, 0, MAKELPARAM(middle.x, middle.y)), HTTRANSPARENT);
    EXPECT_EQ(WindowFromPoint(middle), dialog->Get());
}

TEST_F(BorControlsTest, ShadesDrawEtchedLinesAndAnEmptyRecessedBox)
{
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);

    const Pixels across = Painted(dialog->Item(IDC_SHADE_HDIP));
    const int row = (across.height - 2) / 2;
    for (int x : {0, across.width / 2, across.width - 2}) {
        EXPECT_EQ(across.At(x, row), shadow) << x;
        EXPECT_EQ(across.At(x, row + 1), light) << x;
    }
    const Pixels down = Painted(dialog->Item(IDC_SHADE_VDIP));
    const int column = (down.width - 2) / 2;
    for (int y : {0, down.height / 2, down.height - 2}) {
        EXPECT_EQ(down.At(column, y), shadow) << y;
        EXPECT_EQ(down.At(column + 1, y), light) << y;
    }
    // The box draws its frame only, so it never paints over the controls inside it.
    const Pixels box = Painted(dialog->Item(IDC_SHADE_GROUP));
    EXPECT_EQ(box.At(0, 0), shadow);
    EXPECT_EQ(box.At(box.width - 1, box.height - 1), light);
    EXPECT_EQ(box.At(box.width / 2, box.height / 2), kMarker);
}

}  // namespace
