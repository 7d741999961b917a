// The date edit under Wine: the real drop-down calendar driven by keys and mouse messages, the edit's own keys,
// leaving the edit, the button beside it, the validator's messages and the profile's short date format.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "calendar_test_ids.h"
#include "controls/calendar_edit.h"
#include "controls/date_text.h"
#include "controls/date_validator.h"
#include "controls/profile_date_format.h"
#include "framework/application.h"
#include "framework/gadgets.h"
#include "tests/support/column_probe.h"
#include "tests/support/scripted_ui.h"

namespace {

CalendarDate D(int day, int month, int year) { return MakeDate(day, month, year); }

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Pumps for a while, so that queued input has been handled.
void Settle(DWORD milliseconds = 20)
{
    const DWORD until = GetTickCount() + milliseconds;
    while (GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Pump();
    }
}

class TestDialog : public ks::TDialog {
public:
    TestDialog() : TDialog(nullptr, IDD_CALENDAR_TEST) {}
    ks::TCalendarEdit date{*this, IDC_CALENDAR_DATE};
    ks::TCalendarEdit other{*this, IDC_CALENDAR_OTHER};  // a second one, as the search dialog has
};

class CalendarEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetShortDateFormatSource([] { return std::string("MM/dd/yy"); });
        ASSERT_NE(m_dialog.Create(), nullptr);
        ShowWindow(m_dialog.GetHandle(), SW_SHOW);
        SetForegroundWindow(m_dialog.GetHandle());
        Pump();
    }
    void TearDown() override
    {
        m_dialog.Destroy();
        Pump();
        SetShortDateFormatSource({});
    }

    HWND Edit() const { return m_dialog.date.GetHandle(); }
    HWND Button() { return m_dialog.date.Button().GetHandle(); }
    ks::TPopupCalWin& Calendar() { return m_dialog.date.Button().Calendar(); }
    std::string Text() const { return m_dialog.date.GetText(80); }
    void SetText(const char* text) { m_dialog.date.SetText(text); }

    // Opens the calendar the way a user does with the keyboard: Down arrow in the edit.
    void OpenWith(const char* text)
    {
        SetText(text);
        SetFocus(Edit());
        SendMessageA(Edit(), WM_KEYDOWN, VK_DOWN, 0);
        Pump();
    }
    // Presses a key (with Control held) as a user does: through the input queue to the window with the focus.
    // Why not SetKeyboardState and a sent WM_KEYDOWN: Wine brings the key state back in line with the
    // display's, where Control is up, at moments of its own; queued input carries its state with it.
    void Key(WORD key, bool ctrl = false)
    {
        std::vector<INPUT> inputs;
        auto add = [&inputs](WORD vk, DWORD flags) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        if (ctrl)
            add(VK_CONTROL, 0);
        add(key, 0);
        add(key, KEYEVENTF_KEYUP);
        if (ctrl)
            add(VK_CONTROL, KEYEVENTF_KEYUP);
        ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
        Settle();
    }
    POINT CellCentre(int column, int row)
    {
        return {ks::TPopupCalWin::kGridLeft + column * Calendar().CellWidth() + Calendar().CellWidth() / 2,
                Calendar().GridTop() + row * Calendar().CellHeight() + Calendar().CellHeight() / 2};
    }
    void Mouse(UINT msg, POINT at)
    {
        SendMessageA(Calendar().GetHandle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(at.x, at.y));
        Pump();
    }
    void Click(POINT at)
    {
        Mouse(WM_LBUTTONDOWN, at);
        Mouse(WM_LBUTTONUP, at);
    }

    TestDialog m_dialog;
};

struct KeyCase {
    const char* from;
    WORD key;
    bool ctrl;
    const char* to;
    int line;
};

TEST_F(CalendarEditTest, EveryCalendarKeyWritesItsDayIntoTheEdit)
{
    const KeyCase cases[] = {
        {"03/31/96", VK_PRIOR, false, "02/29/96", __LINE__},
        {"03/31/97", VK_PRIOR, false, "02/28/97", __LINE__},
        {"01/31/96", VK_NEXT, false, "02/29/96", __LINE__},
        {"01/31/97", VK_NEXT, false, "02/28/97", __LINE__},
        {"02/29/96", VK_PRIOR, true, "02/28/95", __LINE__},
        {"02/29/96", VK_NEXT, true, "02/28/97", __LINE__},
        {"01/01/96", VK_HOME, true, "01/01/95", __LINE__},
        {"06/15/96", VK_HOME, true, "01/01/96", __LINE__},
        {"12/31/96", VK_END, true, "12/31/97", __LINE__},
        {"06/15/96", VK_HOME, false, "06/01/96", __LINE__},
        {"02/10/96", VK_END, false, "02/29/96", __LINE__},
        {"03/01/96", VK_LEFT, false, "02/29/96", __LINE__},
        {"12/31/96", VK_RIGHT, false, "01/01/97", __LINE__},
        {"06/15/96", VK_UP, false, "06/08/96", __LINE__},
        {"06/15/96", VK_DOWN, true, "06/22/96", __LINE__},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        OpenWith(c.from);
        ASSERT_TRUE(Calendar().IsOpen());
        EXPECT_EQ(Calendar().GetDate(), ParseDate(c.from));
        Key(c.key, c.ctrl);
        EXPECT_EQ(Text(), c.to);
        EXPECT_EQ(FormatDate(Calendar().GetDate()), c.to);
        EXPECT_TRUE(Calendar().IsOpen());
        Key(VK_ESCAPE);
        EXPECT_FALSE(Calendar().IsOpen());
    }
}

TEST_F(CalendarEditTest, EscapeKeepsTheLastMarkedDateAndGivesTheFocusBack)
{
    OpenWith("05/10/96");
    EXPECT_EQ(GetFocus(), Calendar().GetHandle());
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Key(VK_DOWN);
    Key(VK_ESCAPE);
    EXPECT_FALSE(Calendar().IsOpen());
    EXPECT_EQ(Text(), "05/19/96");
    EXPECT_EQ(GetFocus(), Edit());

    // Keypad * goes to today, and Escape keeps that too.
    OpenWith("01/01/96");
    Key(VK_MULTIPLY);
    EXPECT_EQ(Text(), FormatDate(TodayDate()));
    Key(VK_ESCAPE);
    EXPECT_FALSE(Calendar().IsOpen());
    EXPECT_EQ(Text(), FormatDate(TodayDate()));

    // Enter and Space close with the shown date as well.
    for (WORD key : {WORD{VK_RETURN}, WORD{VK_SPACE}}) {
        OpenWith("7/4/96");
        Key(key);
        EXPECT_FALSE(Calendar().IsOpen());
        EXPECT_EQ(Text(), "07/04/96");
        EXPECT_EQ(GetFocus(), Edit());
    }
}

TEST_F(CalendarEditTest, ClickOnADayClosesTheCalendarWithThatDate)
{
    // September 1996 starts on a Sunday: its 1st is in the last column of the first row.
    OpenWith("09/15/96");
    Click(CellCentre(6, 0));
    EXPECT_FALSE(Calendar().IsOpen());
    EXPECT_EQ(Text(), "09/01/96");
    EXPECT_EQ(GetFocus(), Edit());

    // March 1997 starts on a Saturday and has 31 days: the 31st is in the sixth row.
    OpenWith("03/15/97");
    Click(CellCentre(0, 5));
    EXPECT_FALSE(Calendar().IsOpen());
    EXPECT_EQ(Text(), "03/31/97");
}

TEST_F(CalendarEditTest, ClicksBesideTheDaysChangeNothing)
{
    OpenWith("09/15/96");
    Click(CellCentre(0, 0));  // before the 1st
    EXPECT_TRUE(Calendar().IsOpen());
    EXPECT_EQ(Text(), "09/15/96");
    // Right of the grid, level with the first row: no cell there, although (x - 4) / width names column 7.
    Click({ks::TPopupCalWin::kGridLeft + 7 * Calendar().CellWidth() + 1, CellCentre(0, 0).y});
    EXPECT_TRUE(Calendar().IsOpen());
    // In the weekday row just above the grid.
    Click({CellCentre(6, 0).x, Calendar().GridTop() - 2});
    EXPECT_TRUE(Calendar().IsOpen());
    EXPECT_EQ(Text(), "09/15/96");
}

TEST_F(CalendarEditTest, DraggingMarksEveryDayPassedAndAReleaseOutsideEndsTracking)
{
    OpenWith("05/10/96");  // May 1996 starts on a Wednesday
    Mouse(WM_LBUTTONDOWN, CellCentre(4, 1));
    EXPECT_EQ(Text(), "05/10/96");
    EXPECT_EQ(GetCapture(), Calendar().GetHandle());
    Mouse(WM_MOUSEMOVE, CellCentre(6, 1));
    EXPECT_EQ(Text(), "05/12/96");
    Mouse(WM_MOUSEMOVE, CellCentre(2, 4));
    EXPECT_EQ(Text(), "05/29/96");
    Mouse(WM_LBUTTONUP, {2, 2 + Calendar().CellHeight()});  // over the weekday names
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Calendar().IsOpen());
    EXPECT_EQ(Text(), "05/29/96");
    // Tracking has ended: moving without a press marks nothing.
    Mouse(WM_MOUSEMOVE, CellCentre(6, 1));
    EXPECT_EQ(Text(), "05/29/96");
}

TEST_F(CalendarEditTest, ArrowsTurnTheMonth)
{
    auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    OpenWith("03/31/96");
    Click(centre(Calendar().PreviousArrowRect()));
    EXPECT_EQ(Text(), "02/29/96");
    Click(centre(Calendar().NextArrowRect()));
    Click(centre(Calendar().NextArrowRect()));
    EXPECT_EQ(Text(), "04/29/96");
    EXPECT_TRUE(Calendar().IsOpen());
    // A press on an arrow released elsewhere does nothing.
    Mouse(WM_LBUTTONDOWN, centre(Calendar().NextArrowRect()));
    Mouse(WM_LBUTTONUP, CellCentre(3, 3));
    EXPECT_EQ(Text(), "04/29/96");
    EXPECT_TRUE(Calendar().IsOpen());
}

TEST_F(CalendarEditTest, OpensUnderTheEditFromItsTextOrTodayAndClosesWhenTheFocusLeaves)
{
    OpenWith("");
    ASSERT_TRUE(Calendar().IsOpen());
    EXPECT_EQ(Calendar().GetDate(), TodayDate());
    RECT edit;
    RECT calendar;
    GetWindowRect(Edit(), &edit);
    GetWindowRect(Calendar().GetHandle(), &calendar);
    EXPECT_EQ(calendar.left, edit.left);
    EXPECT_EQ(calendar.top, edit.bottom);
    EXPECT_EQ(calendar.right - calendar.left, Calendar().WindowSize().cx);
    EXPECT_EQ(calendar.bottom - calendar.top, Calendar().WindowSize().cy);
    UpdateWindow(Calendar().GetHandle());
    EXPECT_EQ(Text(), FormatDate(TodayDate()));  // painting marks the day, and marking writes it

    SetFocus(m_dialog.other.GetHandle());
    Pump();
    EXPECT_FALSE(Calendar().IsOpen());

    // The button opens it too; a second request while open changes nothing.
    SetText("08/08/96");
    SendMessageA(Button(), BM_CLICK, 0, 0);
    Pump();
    ASSERT_TRUE(Calendar().IsOpen());
    HWND first = Calendar().GetHandle();
    Calendar().Open();
    EXPECT_EQ(Calendar().GetHandle(), first);
    EXPECT_EQ(Calendar().GetDate(), D(8, 8, 1996));

    // The other date edit's button opens the other calendar only.
    m_dialog.other.SetText("10/10/96");
    SendMessageA(m_dialog.other.Button().GetHandle(), BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(Calendar().IsOpen());
    ASSERT_TRUE(m_dialog.other.Button().Calendar().IsOpen());
    EXPECT_EQ(m_dialog.other.Button().Calendar().GetDate(), D(10, 10, 1996));
}

TEST_F(CalendarEditTest, NothingItShowsTouchesItsBorder)
{
    // A month whose first day is a Monday and whose last fills a Sunday: the grid's first and last columns.
    OpenWith("12/01/97");
    ASSERT_TRUE(Calendar().IsOpen());
    const ks_test::Picture picture = ks_test::ClientPicture(Calendar().GetHandle());
    const SIZE size = Calendar().WindowSize();
    RECT client{};
    GetClientRect(Calendar().GetHandle(), &client);
    const COLORREF face = RGB(192, 192, 192);
    // Inside the raised edge, a band along the left, right and top sides holds nothing but the face colour;
    // only the etched line under the weekdays crosses it.
    const int etched = Calendar().GridTop() - 4;
    int touching = 0;
    for (int y = 1; y < client.bottom - 1; ++y)
        for (int x = 1; x < client.right - 1; ++x) {
            const bool band = x < 4 || x >= client.right - 4 || y < 2;
            if (band && (y < etched || y > etched + 1) && picture.At(x, y) != face)
                ++touching;
        }
    EXPECT_EQ(touching, 0) << "pixels near the border in a calendar of " << size.cx << "x" << size.cy;
    // Both arrows are there to be seen, where they are clicked.
    for (const RECT& arrow : {Calendar().PreviousArrowRect(), Calendar().NextArrowRect()}) {
        int drawn = 0;
        for (int y = arrow.top; y < arrow.bottom; ++y)
            for (int x = arrow.left; x < arrow.right; ++x)
                drawn += picture.At(x, y) != face;
        EXPECT_GT(drawn, 10) << arrow.left;
    }
}

TEST_F(CalendarEditTest, StaysOnTheDesktop)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    RECT dialog;
    GetWindowRect(m_dialog.GetHandle(), &dialog);
    // The dialog hangs off the bottom right corner, so that the calendar would too.
    SetWindowPos(m_dialog.GetHandle(), nullptr, desktop.right - 120, desktop.bottom - 40, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    OpenWith("05/10/96");
    ASSERT_TRUE(Calendar().IsOpen());
    RECT calendar;
    GetWindowRect(Calendar().GetHandle(), &calendar);
    EXPECT_EQ(calendar.right, desktop.right);
    EXPECT_EQ(calendar.bottom, desktop.bottom);
    Key(VK_ESCAPE);

    SetWindowPos(m_dialog.GetHandle(), nullptr, desktop.left - 180, desktop.top + 10, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    OpenWith("05/10/96");
    GetWindowRect(Calendar().GetHandle(), &calendar);
    EXPECT_EQ(calendar.left, desktop.left);
}

TEST_F(CalendarEditTest, TheEditSwallowsPlusAndMinusAndStepsWithTheKeypad)
{
    SetText("");
    SendMessageA(Edit(), WM_CHAR, '+', 0);
    SendMessageA(Edit(), WM_CHAR, '-', 0);
    EXPECT_EQ(Text(), "");
    SendMessageA(Edit(), WM_CHAR, '7', 0);
    EXPECT_EQ(Text(), "7");

    SetText("");
    SendMessageA(Edit(), WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(Text(), FormatDate(TodayDate() + 1));
    SetText("03/01/96");
    SendMessageA(Edit(), WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_EQ(Text(), "02/29/96");
    SendMessageA(Edit(), WM_KEYDOWN, VK_ADD, 0);
    SendMessageA(Edit(), WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(Text(), "03/02/96");
}

TEST_F(CalendarEditTest, LeavingTheEditRewritesOrClearsItsText)
{
    struct {
        const char* typed;
        const char* left;
    } const cases[] = {{"1/5/96", "01/05/96"}, {"12-25-96", "12/25/96"}, {"13/01/96", ""},
                       {"02/29/97", ""},       {"", ""},                 {"12/25", "12/25/00"}};
    for (const auto& c : cases) {
        SetFocus(Edit());
        SetText(c.typed);
        SetFocus(m_dialog.other.GetHandle());
        EXPECT_EQ(Text(), c.left) << c.typed;
    }
    // Going to its own button leaves the text alone.
    SetFocus(Edit());
    SetText("1/5/96");
    SetFocus(Button());
    EXPECT_EQ(Text(), "1/5/96");
}

TEST_F(CalendarEditTest, TheButtonSitsBesideTheEditAndFollowsIt)
{
    EXPECT_FALSE(GetWindowLongPtrA(Button(), GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(GetDlgCtrlID(Button()), 0);
    EXPECT_EQ(GetWindow(Edit(), GW_HWNDNEXT), Button());

    EnableWindow(Edit(), FALSE);
    EXPECT_FALSE(IsWindowEnabled(Button()));
    EnableWindow(Edit(), TRUE);
    EXPECT_TRUE(IsWindowEnabled(Button()));

    // Set up over the template's edit, the two share the template's width: the edit was narrowed once.
    RECT made{0, 0, 72, 12};
    MapDialogRect(m_dialog.GetHandle(), &made);
    RECT edit;
    RECT atRest;
    GetWindowRect(Edit(), &edit);
    GetWindowRect(Button(), &atRest);
    EXPECT_EQ(atRest.right - edit.left, made.right);
    EXPECT_EQ(edit.bottom - edit.top, made.bottom);

    // Sized anew, the edit gives the right of its window to the button, once: the two stand flush, as tall
    // as the edit was made.
    SetWindowPos(Edit(), nullptr, 0, 0, 150, 30, SWP_NOMOVE | SWP_NOZORDER);
    RECT window;
    GetWindowRect(Edit(), &window);
    EXPECT_EQ(window.right - window.left, 150 - 23);
    EXPECT_EQ(window.bottom - window.top, 30);
    RECT button;
    GetWindowRect(Button(), &button);
    EXPECT_EQ(button.left, window.right);
    EXPECT_EQ(button.top, window.top);
    EXPECT_EQ(button.right - button.left, 23);
    EXPECT_EQ(button.bottom - button.top, 30);
}

// Reads one pixel that the button paints for WM_PRINTCLIENT, pressed or not.
COLORREF ButtonPixel(HWND button, bool pressed, int x, int y)
{
    SendMessageA(button, BM_SETSTATE, pressed, 0);
    RECT rect;
    GetClientRect(button, &rect);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ks::GdiObject bitmap(CreateCompatibleBitmap(screen, rect.right, rect.bottom));
    ReleaseDC(nullptr, screen);
    COLORREF pixel;
    {
        ks::SelectObjectScope select(memory, bitmap.Get());
        SendMessageA(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        pixel = GetPixel(memory, x, y);
    }
    DeleteDC(memory);
    SendMessageA(button, BM_SETSTATE, FALSE, 0);
    return pixel;
}

TEST_F(CalendarEditTest, TheButtonShowsItsPressedFace)
{
    // Top-left corner: white at rest, grey pressed.
    EXPECT_EQ(ButtonPixel(Button(), false, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(ButtonPixel(Button(), true, 0, 0), RGB(128, 128, 128));
}

TEST_F(CalendarEditTest, AChildDateEditInAToolBarTakesTheFaceHeightAndItsOwnFont)
{
    ks::TControlBar bar(std::make_unique<ks::TGadgetWindowFont>());
    ASSERT_TRUE(bar.CreateIn(m_dialog.GetHandle()));
    ks::TCalendarEdit edit(&bar, 300, "1/5/96", 40, 2, 120, 20);
    ASSERT_TRUE(edit.Create());
    EXPECT_EQ(GetParent(edit.GetHandle()), bar.GetHandle());
    EXPECT_EQ(GetParent(edit.Button().GetHandle()), bar.GetHandle());
    EXPECT_NE(edit.Send(WM_GETFONT), 0);
    EXPECT_NE(edit.Send(WM_GETFONT), SendMessageA(bar.GetHandle(), WM_GETFONT, 0, 0));
    // Made 20 high, the edit takes the face's 25, and the button stands beside it in full.
    RECT window;
    GetWindowRect(edit.GetHandle(), &window);
    EXPECT_EQ(window.bottom - window.top, 25);
    EXPECT_EQ(window.right - window.left, 120 - 23);
    RECT button;
    GetWindowRect(edit.Button().GetHandle(), &button);
    EXPECT_EQ(button.bottom - button.top, 25);
    EXPECT_EQ(button.left, window.right);

    edit.SetDate("7/4/96");
    EXPECT_EQ(edit.GetText(80), "07/04/96");
    SendMessageA(edit.Button().GetHandle(), BM_CLICK, 0, 0);
    Pump();
    ASSERT_TRUE(edit.Button().Calendar().IsOpen());
    EXPECT_EQ(edit.Button().Calendar().GetDate(), D(4, 7, 1996));
    edit.Button().Calendar().Close();
}

TEST_F(CalendarEditTest, SetDateByNumberAndByText)
{
    m_dialog.date.SetDate(D(5, 1, 1996));
    EXPECT_EQ(Text(), "01/05/96");
    m_dialog.date.SetDate(CalendarDate{0});
    EXPECT_EQ(Text(), "");
    m_dialog.date.SetDate("12.25.96");
    EXPECT_EQ(Text(), "12/25/96");
    m_dialog.date.SetDate("02/30/96");
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(ks::TCalendarEdit::SetDateLanguage(2), 0);
    EXPECT_EQ(ks::TCalendarEdit::SetDateLanguage(0), 2);
}

// Holds the dialog with its calendar open for a look (KS_CALENDAR_HOLD_MS milliseconds); skipped otherwise.
TEST_F(CalendarEditTest, HoldOpenForAScreenshot)
{
    const char* hold = std::getenv("KS_CALENDAR_HOLD_MS");
    if (!hold)
        GTEST_SKIP() << "set KS_CALENDAR_HOLD_MS to look at the open calendar";
    SetWindowPos(m_dialog.GetHandle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // A four-digit year, so that today's month opens with today in bold.
    SetShortDateFormatSource([] { return std::string("MM/dd/yyyy"); });
    OpenWith(FormatDate(TodayDate()).c_str());
    const DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(hold));
    while (GetTickCount() < until) {
        Pump();
        Sleep(20);
    }
}

// ---------------------------------------------------------------- validator and short date format

class TestApp : public ks::TApplication {
public:
    TestApp() : TApplication("KestRum32", GetModuleHandleA(nullptr), SW_SHOW) {}

protected:
    void InitMainWindow() override {}
};

TEST(DateValidator, AcceptsEmptyOrValidDateText)
{
    SetShortDateFormatSource([] { return std::string("MM/dd/yy"); });
    ks::TDateValidator validator;
    EXPECT_TRUE(validator.IsValid(""));
    EXPECT_TRUE(validator.IsValid("02/29/96"));
    EXPECT_TRUE(validator.IsValid("12-25-96"));
    EXPECT_FALSE(validator.IsValid("02/29/97"));
    EXPECT_FALSE(validator.IsValid("13/01/96"));
    EXPECT_FALSE(validator.IsValid("tomorrow"));
    SetShortDateFormatSource({});
}

TEST(DateValidator, SaysSoInTheLanguageOfTheDates)
{
    TestApp app;
    ks_test::ScriptedUi ui;
    ks::TDateValidator validator;
    const char* expected[] = {"Incorrect date !", "Date incorrecte !", "Invalide Datum !", "Invalido data !",
                              "Incorrect date !"};
    const int languages[] = {0, 1, 2, 3, 7};
    for (int i = 0; i < 5; ++i) {
        const int previous = ks::TCalendarEdit::SetDateLanguage(languages[i]);
        validator.Error(nullptr);
        ks::TCalendarEdit::SetDateLanguage(previous);
    }
    const auto boxes = ui.Boxes();
    ASSERT_EQ(boxes.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(boxes[i].text, expected[i]);
        EXPECT_EQ(boxes[i].caption, "KestRum32");
        EXPECT_EQ(boxes[i].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_EQ(boxes[i].buttons, static_cast<UINT>(MB_OK));
    }
}

// The profile's format is read at every use, so a change of the regional settings applies at once.
TEST(ProfileShortDateFormat, FollowsTheProfile)
{
    char saved[64]{};
    GetProfileStringA("intl", "sShortDate", "", saved, sizeof saved);
    UseProfileShortDateFormat();
    ASSERT_TRUE(WriteProfileStringA("intl", "sShortDate", "dd.MM.yyyy"));
    EXPECT_EQ(FormatDate(D(5, 1, 1996)), "05.01.1996");
    EXPECT_EQ(ParseDate("25.12.1996"), D(25, 12, 1996));
    ASSERT_TRUE(WriteProfileStringA("intl", "sShortDate", "MM/dd/yy"));
    EXPECT_EQ(FormatDate(D(5, 1, 1996)), "01/05/96");
    WriteProfileStringA("intl", "sShortDate", saved[0] ? saved : nullptr);
    SetShortDateFormatSource({});
}

}  // namespace
