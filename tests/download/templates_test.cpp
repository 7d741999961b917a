// The dialog templates of the download windows and the directory browser: each control id once per template,
// and the template details the windows rely on.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

struct Item {
    int id;
    std::string cls;  // class name, or "#128" and up for the predefined classes
    DWORD style;
};

struct Template {
    std::vector<Item> items;
};

// Reads a name-or-ordinal field of an extended template; moves p past it.
std::string ReadField(const BYTE*& p)
{
    const auto* w = reinterpret_cast<const WORD*>(p);
    if (w[0] == 0x0000) {
        p += 2;
        return {};
    }
    if (w[0] == 0xFFFF) {
        p += 4;
        return "#" + std::to_string(w[1]);
    }
    std::string text;
    while (*w)
        text += static_cast<char>(*w++);
    p = reinterpret_cast<const BYTE*>(w + 1);
    return text;
}

const BYTE* AlignDword(const BYTE* p, const BYTE* base)
{
    return base + ((p - base + 3) & ~static_cast<std::ptrdiff_t>(3));
}

Template Load(int id)
{
    Template t;
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!found)
        return t;
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    const BYTE* p = base;
    const auto* head = reinterpret_cast<const WORD*>(p);
    if (head[0] != 1 || head[1] != 0xFFFF)
        return t;  // not an extended template
    DWORD style;
    std::memcpy(&style, p + 12, 4);
    const WORD count = *reinterpret_cast<const WORD*>(p + 16);
    p += 26;
    ReadField(p);  // menu
    ReadField(p);  // class
    ReadField(p);  // caption
    if (style & DS_SETFONT) {
        p += 6;  // point size, weight, italic, charset
        ReadField(p);
    }
    for (WORD i = 0; i < count; ++i) {
        p = AlignDword(p, base);
        Item item{};
        std::memcpy(&item.style, p + 8, 4);
        std::int32_t itemId;
        std::memcpy(&itemId, p + 20, 4);
        item.id = itemId;
        p += 24;
        item.cls = ReadField(p);
        ReadField(p);  // text
        const WORD extra = *reinterpret_cast<const WORD*>(p);
        p += 2 + extra;
        t.items.push_back(item);
    }
    return t;
}

const Item* Find(const Template& t, int id)
{
    for (const Item& item : t.items)
        if (item.id == id)
            return &item;
    return nullptr;
}

TEST(DownloadTemplates, NoIdIsDefinedTwiceWithinATemplate)
{
    for (int templateId : {IDD_DOWNLOAD, IDD_PATH_PREFS, IDD_PATH_SELECT, IDD_EXAMINE, IDD_INSTALL}) {
        const Template t = Load(templateId);
        ASSERT_FALSE(t.items.empty()) << templateId;
        std::set<int> seen;
        for (const Item& item : t.items) {
            if (item.id == -1 || item.id == 0xFFFF)
                continue;
            EXPECT_TRUE(seen.insert(item.id).second) << "template " << templateId << " id " << item.id;
        }
    }
}

TEST(DownloadTemplates, BitmapButtonsHaveTheirPicturesAndAliasEditsStopAtTheirEdge)
{
    const Template download = Load(IDD_DOWNLOAD);
    for (int id : {IDC_DOWNLOAD_STORE, IDC_DOWNLOAD_EXAMINE}) {
        const Item* button = Find(download, id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(lstrcmpiA(button->cls.c_str(), "BorBtn"), 0) << button->cls;
        EXPECT_TRUE(button->style & BBS_PICTURE);
        // The button shows bitmap id + 1000, and id + 3000 while pressed.
        EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(id + 1000), reinterpret_cast<LPCSTR>(RT_BITMAP)), nullptr);
        EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(id + 3000), reinterpret_cast<LPCSTR>(RT_BITMAP)), nullptr);
    }
    const Template prefs = Load(IDD_PATH_PREFS);
    for (int id = IDC_PREFS_ALIAS1; id <= IDC_PREFS_ALIAS4; ++id) {
        ASSERT_NE(Find(prefs, id), nullptr) << id;
        EXPECT_EQ(Find(prefs, id)->style & ES_AUTOHSCROLL, 0u) << id;
    }
}

}  // namespace
