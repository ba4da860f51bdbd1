// The function-table exports: lookups, descriptions in the thread's
// language, and dispatch of key events to the rows' handlers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/function_table.h"
#include "buttons/table/function_table_handlers.h"
#include "platform/seam.h"
#include "vxutil.h"

using vx::functions::Handler;
using vx::functions::HandlerSlots;

namespace {

std::vector<Handler> g_ran;
int g_result = 1;

template <Handler H>
int WINAPI record()
{
    g_ran.push_back(H);
    return g_result;
}

template <std::size_t... I>
HandlerSlots recorders(std::index_sequence<I...>)
{
    return {&record<static_cast<Handler>(I)>...};
}

// Every handler slot replaced by a recorder for the test's length.
struct Dispatch : ::testing::Test {
    vx::platform::ScopedSeam<HandlerSlots> slots{
        vx::functions::handler_slots(),
        recorders(std::make_index_sequence<static_cast<std::size_t>(Handler::Count)>())};
    void SetUp() override
    {
        g_ran.clear();
        g_result = 1;
    }
};

// Thread locale for the test's length.
struct ThreadLocale {
    LCID saved = GetThreadLocale();
    explicit ThreadLocale(LANGID language) { SetThreadLocale(MAKELCID(language, SORT_DEFAULT)); }
    ~ThreadLocale() { SetThreadLocale(saved); }
};

std::string description(int index)
{
    char text[260] = {};
    EnumPredefinedFunction(index, text, sizeof text);
    return text;
}

} // namespace

TEST(FunctionNames, UsageCodesByNameIgnoreCase)
{
    EXPECT_EQ(0xB0u, GetHIDUsageCode("cd play"));
    EXPECT_EQ(0xE9u, GetHIDUsageCode("VOLUME UP"));
    EXPECT_EQ(0u, GetHIDUsageCode("Next Window"));
    EXPECT_EQ(0u, GetHIDUsageCode("No Such Function"));
    EXPECT_EQ(0u, GetHIDUsageCode(nullptr));
}

TEST(FunctionNames, NameByCodeNeedsRoomForTheNul)
{
    EXPECT_EQ(1, GetHIDFuncName(0xE9, nullptr, 0));
    char name[16];
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(0, GetHIDFuncName(0xE9, name, 9));
    EXPECT_EQ('#', name[0]) << "buffer untouched";
    EXPECT_EQ(1, GetHIDFuncName(0xE9, name, 10));
    EXPECT_STREQ("Volume Up", name);
    EXPECT_EQ(0, GetHIDFuncName(0, name, sizeof name));
    EXPECT_EQ(0, GetHIDFuncName(0x1234, nullptr, 0));
    EXPECT_EQ(1, GetHIDFuncName(0x8109, name, sizeof name));
    EXPECT_STREQ("AUX9", name);
}

TEST(FunctionDescriptions, EnumerationSkipsAuxRowsButGoesOn)
{
    ThreadLocale english(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_EQ("Close Window", description(0));
    EXPECT_EQ("Stop", description(3));
    EXPECT_EQ("E-mail", description(12));
    EXPECT_EQ("My Documents", description(16));
    EXPECT_EQ("Back", description(20));
    char text[260] = "unchanged";
    for (int i = 22; i <= 30; ++i)
        EXPECT_EQ(0, EnumPredefinedFunction(i, text, sizeof text)) << i;
    const char* tail[] = {"Power", "Sleep", "Media Select", "Lock Desktop", "Word", "Excel"};
    for (int i = 31; i <= 36; ++i)
        EXPECT_EQ(tail[i - 31], description(i));
    EXPECT_EQ(5, EnumPredefinedFunction(31, text, sizeof text));
    EXPECT_EQ(0, EnumPredefinedFunction(37, text, sizeof text));
    EXPECT_EQ(0, EnumPredefinedFunction(-1, text, sizeof text));
    EXPECT_EQ(0, EnumPredefinedFunction(0x7FFFFFFF, text, sizeof text));
    EXPECT_EQ(3, EnumPredefinedFunction(0, text, 4)) << "truncated to the buffer";
    EXPECT_STREQ("Clo", text);
}

TEST(FunctionDescriptions, NamesAndDescriptionsTranslateBothWays)
{
    ThreadLocale english(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    char name[64];
    EXPECT_EQ(1, GetFuncNameFromFuncDescName("Stop", name, sizeof name));
    EXPECT_STREQ("CD Stop", name);
    EXPECT_EQ(1, GetFuncNameFromFuncDescName("back", name, sizeof name));
    EXPECT_STREQ("App Back", name);
    EXPECT_EQ(0, GetFuncNameFromFuncDescName("CD Stop", name, sizeof name)) << "a name is not a description";
    EXPECT_EQ(0, GetFuncNameFromFuncDescName("Stop", name, 7)) << "\"CD Stop\" needs 8";
    EXPECT_EQ(0, GetFuncNameFromFuncDescName(nullptr, name, sizeof name));

    char text[64];
    EXPECT_EQ(4, GetFuncDescNameFromFuncName("cd play", text, sizeof text));
    EXPECT_STREQ("Play", text);
    EXPECT_EQ(0, GetFuncDescNameFromFuncName("AUX3", text, sizeof text));
    EXPECT_EQ(0, GetFuncDescNameFromFuncName("nothing", text, sizeof text));

    EXPECT_EQ(1, GetHIDFuncDesc(0xB5, nullptr, 0));
    EXPECT_EQ(10, GetHIDFuncDesc(0xB5, text, sizeof text));
    EXPECT_STREQ("Next Track", text);
    EXPECT_EQ(0, GetHIDFuncDesc(0, text, sizeof text));
    EXPECT_EQ(0, GetHIDFuncDesc(0x4444, nullptr, 0));
}

TEST(FunctionDescriptions, FollowTheThreadLocale)
{
    struct Case {
        LANGID language;
        int index;
        const char* text;
    } cases[] = {
        {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), 14, "Rechner"},
        {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), 10, "Lauter"},
        {MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), 6, "Lecture"},
        {MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN), 5, "Traccia successiva"},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), 11, "Bajar volumen"},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MEXICAN), 19, "Pantalla"},
        {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN), 0, "Fechar janela"},
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), 12, "E-mail"},
    };
    for (const Case& c : cases) {
        ThreadLocale locale(c.language);
        EXPECT_EQ(c.text, description(c.index)) << c.language;
    }
    ThreadLocale german(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    char name[64];
    EXPECT_EQ(1, GetFuncNameFromFuncDescName("Wiedergabe", name, sizeof name));
    EXPECT_STREQ("CD Play", name);
    EXPECT_EQ(0, GetFuncNameFromFuncDescName("Play", name, sizeof name)) << "the English text under German";
}

TEST_F(Dispatch, PressRunsTheRowsPressHandler)
{
    for (const auto& row : vx::functions::rows()) {
        if (row.press == Handler::None)
            continue;
        g_ran.clear();
        EXPECT_EQ(1, CallPredefinedButtonFunction(row.name, 1)) << row.name;
        ASSERT_EQ(1u, g_ran.size()) << row.name;
        EXPECT_EQ(row.press, g_ran[0]) << row.name;
        if (row.code) {
            g_ran.clear();
            int result = -1;
            EXPECT_EQ(1, CallHIDButtonFunction(row.code, 1, &result));
            EXPECT_EQ(1, result);
            EXPECT_EQ(std::vector<Handler>{row.press}, g_ran);
        }
    }
}

TEST_F(Dispatch, ReleaseRunsOnlyTheVolumeStops)
{
    EXPECT_EQ(1, CallPredefinedButtonFunction("Volume Up", 0));
    EXPECT_EQ(1, CallPredefinedButtonFunction("volume down", 0));
    EXPECT_EQ((std::vector<Handler>{Handler::StopVolumeIncrease, Handler::StopVolumeDecrease}), g_ran);
    g_ran.clear();
    EXPECT_EQ(0, CallPredefinedButtonFunction("Mute", 0));
    EXPECT_EQ(0, CallPredefinedButtonFunction("Search", 1));
    EXPECT_EQ(0, CallPredefinedButtonFunction("Unknown", 1));
    EXPECT_EQ(0, CallPredefinedButtonFunction(nullptr, 1));
    EXPECT_TRUE(g_ran.empty());
}

TEST_F(Dispatch, HidResultRules)
{
    int result = -1;
    EXPECT_EQ(1, CallHIDButtonFunction(0x221, 1, &result)) << "known key without a handler";
    EXPECT_EQ(0, result);
    result = -1;
    EXPECT_EQ(0, CallHIDButtonFunction(0x1234, 1, &result));
    EXPECT_EQ(0, result);
    result = -1;
    EXPECT_EQ(0, CallHIDButtonFunction(0, 1, &result));
    EXPECT_EQ(-1, result) << "code 0 leaves the result alone";
    result = -1;
    EXPECT_EQ(1, CallHIDButtonFunction(0xB0, 5, &result)) << "type outside 0-2";
    EXPECT_EQ(0, result);
    EXPECT_TRUE(g_ran.empty());

    g_result = 7;
    EXPECT_EQ(0, CallHIDButtonFunction(0xE2, 1, &result)) << "only a result of 1 counts";
    EXPECT_EQ(7, result);
    EXPECT_EQ(0, CallHIDButtonFunction(0xE2, 1, nullptr));
    g_result = 0;
    EXPECT_EQ(0, CallPredefinedButtonFunction("Mute", 1));
}

TEST(HandlerSlots, HoldTheExportedHandlers)
{
    const auto& s = vx::functions::handler_slots();
    auto slot = [&](Handler h) { return reinterpret_cast<void*>(s[static_cast<std::size_t>(h)]); };
    EXPECT_EQ(reinterpret_cast<void*>(&CD_Play), slot(Handler::CdPlay));
    EXPECT_EQ(reinterpret_cast<void*>(&Mixer_StopVolumeDecrease), slot(Handler::StopVolumeDecrease));
    EXPECT_EQ(reinterpret_cast<void*>(&LaunchCDPlayer), slot(Handler::LaunchCdPlayer));
    EXPECT_EQ(reinterpret_cast<void*>(&LockComputer), slot(Handler::LockComputer));
    EXPECT_EQ(reinterpret_cast<void*>(&LaunchDefaultMailProgram), slot(Handler::LaunchMail));
    for (std::size_t i = 1; i < s.size(); ++i)
        EXPECT_NE(nullptr, reinterpret_cast<void*>(s[i])) << i;
}

namespace {

WPARAM g_wparam = 0;
LPARAM g_lparam = 0;
LRESULT CALLBACK app_command_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_APPCOMMAND) {
        g_wparam = wparam;
        g_lparam = lparam;
        return 0x55;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

} // namespace

TEST(AppCommand, SendsTheLowEightBitsShiftedIntoLParam)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = app_command_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VxAppCommandTarget";
    RegisterClassA(&wc);
    HWND window = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0x55, SendAppCommand(window, 0x107));
    EXPECT_EQ(static_cast<LPARAM>(0x70000), g_lparam);
    EXPECT_EQ(reinterpret_cast<WPARAM>(window), g_wparam);
    DestroyWindow(window);
}

TEST(FunctionDescriptions, EveryLanguageOfTheTableIsPickedByTheThreadLocale)
{
    // Rows 0, 10 and 16 (Close Window, Volume Up, My Documents) as each
    // language's table writes them.
    struct Texts {
        LANGID language;
        const wchar_t* close_window;
        const wchar_t* volume_up;
        const wchar_t* my_documents;
    } const languages[] = {
        {1028, L"\u95dc\u9589\u8996\u7a97", L"\u8abf\u9ad8\u97f3\u91cf", L"\u6211\u7684\u6587\u4ef6"},
        {1029, L"Zav\u0159\u00edt okno", L"Zv\u00fd\u0161it hlasitost", L"Dokumenty"},
        {1031, L"Fenster schlie\u00dfen", L"Lauter", L"Eigene Dateien"},
        {1033, L"Close Window", L"Volume Up", L"My Documents"},
        {1034, L"Cerrar ventana", L"Subir volumen", L"Mis documentos"},
        {1036, L"Fermer la fen\u00eatre", L"Augmenter le volume", L"Mes documents"},
        {1040, L"Chiudi finestra", L"Alza volume", L"Documenti"},
        {1041, L"\u30a6\u30a3\u30f3\u30c9\u30a6\u3092\u9589\u3058\u308b", L"\u97f3\u91cf\u3092\u4e0a\u3052\u308b",
         L"\u30de\u30a4 \u30c9\u30ad\u30e5\u30e1\u30f3\u30c8"},
        {1046, L"Fechar janela", L"Aumentar volume", L"Meus documentos"},
        {1051, L"Zavrie\u0165 okno", L"Zv\u00fd\u0161i\u0165 hlasitos\u0165", L"Moje dokumenty"},
        {1055, L"Pencereyi Kapat", L"Sesi A\u00e7", L"Belgelerim"},
        {1060, L"Zapri okno", L"Glasneje", L"Moji dokumenti"},
        {2052, L"\u5173\u95ed\u7a97\u53e3", L"\u97f3\u91cf\u589e\u5927", L"\u6211\u7684\u6587\u6863"},
        {2058, L"Cerrar ventana", L"Subir volumen", L"Mis documentos"},
        {3082, L"Cerrar ventana", L"Subir volumen", L"Mis documentos"},
    };
    // The library hands out texts in the ANSI code page.
    auto ansi = [](const wchar_t* text) {
        char converted[260] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, converted, sizeof converted - 1, nullptr, nullptr);
        return std::string(converted);
    };
    for (const Texts& t : languages) {
        ThreadLocale locale(t.language);
        EXPECT_EQ(ansi(t.close_window), description(0)) << t.language;
        EXPECT_EQ(ansi(t.volume_up), description(10)) << t.language;
        EXPECT_EQ(ansi(t.my_documents), description(16)) << t.language;
    }
}
